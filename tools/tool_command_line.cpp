// The command line of quellix-hyphenate. Every option is one row of kOptions: the parser,
// the --help text and the handlers in applyOption() all work from it, so a new option is
// one row and one case.
#include "tool_command_line.hpp"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "tool_io.hpp"

namespace quellix::tool {
namespace {

enum class OptionId {
  Language, Separator, Exact, Text, Html, IgnoreLang, MinLength, Jobs, Exceptions, Patterns,
  Left, Right, List, Format, Licence, License, Version, Help, Dictionary, ListDictionaries
};

struct OptionSpec {
  OptionId id;
  std::string_view name;      // without the leading "--"
  std::string_view argument;  // name of the value in --help; empty: the option takes none;
                              // in brackets: the value may be left out (long form only)
  std::string_view help;      // lines of at most 58 characters; empty: not listed
  char shortName = '\0';      // the one-letter form ("-l"), if any
};

constexpr OptionSpec kOptions[] = {
    {OptionId::Language, "language", "NAME",
     "divide in language NAME: an affix (en-us), a name\n"
     "(English_US), a language tag (de-AT, pt-BR) or a locale\n"
     "(de_DE.UTF-8); default en-us",
     'l'},
    {OptionId::Separator, "separator", "SEP",
     "join the pieces of a word with SEP; default -, and with\n"
     "--text or --html the soft hyphen U+00AD",
     's'},
    {OptionId::Exact, "exact", "",
     "take each WORD or line whole as one word, whatever it\n"
     "holds, and divide it exactly as the library's hyphenate"},
    {OptionId::Text, "text", "",
     "hyphenate running text: copy each FILE (or standard\n"
     "input) with SEP inserted at every break of every word"},
    {OptionId::Html, "html", "",
     "as --text for HTML: only text content is hyphenated, not\n"
     "tags, comments, entities, script, style, pre, code, ...;\n"
     "an element's text in the language its lang= names (left\n"
     "undivided, with a warning, where it names none here)"},
    {OptionId::IgnoreLang, "ignore-lang", "",
     "with --html, divide all text in the --language, whatever\n"
     "lang= attributes say"},
    {OptionId::MinLength, "min-length", "N",
     "leave words of fewer than N characters whole; default 5\n"
     "with --text or --html, 0 otherwise"},
    {OptionId::Jobs, "jobs", "N",
     "with --text or --html, divide on N threads; the output\n"
     "is the same as with one; default 1",
     'j'},
    {OptionId::Exceptions, "exceptions", "FILE",
     "also use the words of FILE, one per line with - at each\n"
     "break (# or % starts a comment line); they replace the\n"
     "language's own entries for the same words; may repeat"},
    {OptionId::Patterns, "patterns", "FILE",
     "divide with the patterns of FILE instead of the\n"
     "language's own: TeX patterns (1gr .ach4) separated by\n"
     "white space, % starting a comment. A FILE of --patterns\n"
     "or --exceptions may hold 8 MiB, in lines of 4 KiB"},
    {OptionId::Dictionary, "dictionary", "FILE",
     "divide with the libhyphen dictionary FILE (a .dic, such\n"
     "as /usr/share/hyphen/hyph_de_DE.dic) instead of a\n"
     "language; breaks that change the spelling are shown\n"
     "with it (asz-szony-nyal), except in --text and --html"},
    {OptionId::ListDictionaries, "list-dictionaries", "",
     "list the dictionaries in /usr/share/hyphen and in the\n"
     "directory $QUELLIX_DICTIONARIES: file, the language its\n"
     "name gives, its encoding, the built-in language of that"},
    {OptionId::Left, "left", "N", "make the first piece at least N characters long"},
    {OptionId::Right, "right", "N", "make the last piece at least N characters long"},
    {OptionId::List, "list", "",
     "list every language: number, name, affix, left and right\n"
     "margin (the shortest first and last piece), whether it is\n"
     "built in, and the short tags that also name it"},
    {OptionId::Format, "format", "FORMAT",
     "with --list: table (the default) or tsv, tab-separated\n"
     "number, name, affix, left, right, built in (yes or no)"},
    {OptionId::Licence, "licence", "[LANGUAGE]",
     "print the licence of LANGUAGE's pattern data; without\n"
     "LANGUAGE, quellix's own licence and the licence that\n"
     "each language's notice states"},
    {OptionId::License, "license", "[LANGUAGE]", ""},
    {OptionId::Version, "version", "", "print the version and exit", 'V'},
    {OptionId::Help, "help", "", "print this help and exit", 'h'},
};

quellix::Language parseLanguage(std::string_view name) {
  if (const auto language = quellix::findLanguage(name)) return *language;
  std::string message = "unknown language " + quoted(name);
  const std::vector<std::string_view> close = quellix::closeLanguageAffixes(name);
  for (std::size_t i = 0; i < close.size(); ++i)
    message.append(i == 0 ? " (did you mean " : ", ").append(close[i]);
  if (!close.empty()) message.append("?)");
  message.append("; run quellix-hyphenate --list for the languages and their names");
  throw UsageError{message};
}

void chooseMode(Settings& settings, Mode mode, std::string_view option) {
  if (settings.mode != Mode::Divide && settings.modeOption != option)
    throw UsageError{"--" + std::string(settings.modeOption) + " and --" + std::string(option) +
                     " cannot be used together"};
  settings.mode = mode;
  settings.modeOption = option;
}

std::size_t parseCount(std::string_view option, std::string_view value) {
  std::size_t count = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
  if (error == std::errc::result_out_of_range && end == value.data() + value.size())
    throw UsageError{"option --" + std::string(option) + ": the number " + quoted(value) +
                     " is too large"};
  if (value.empty() || error != std::errc() || end != value.data() + value.size())
    throw UsageError{"option --" + std::string(option) + " needs a number of characters, not " +
                     quoted(value)};
  return count;
}

// given is false when an optional value was left out.
void applyOption(Settings& settings, const OptionSpec& option, std::string_view value,
                 bool given = true) {
  switch (option.id) {
    case OptionId::Language:
      settings.language = parseLanguage(value);
      settings.languageGiven = true;
      break;
    case OptionId::Dictionary: settings.dictionaryFile = value; break;
    case OptionId::ListDictionaries: chooseMode(settings, Mode::ListDictionaries, option.name); break;
    case OptionId::Separator: settings.separator = std::string(value); break;
    case OptionId::Exact: settings.exact = true; break;
    case OptionId::Text:
    case OptionId::Html:
      chooseMode(settings, Mode::Text, option.name);
      settings.html = option.id == OptionId::Html;
      break;
    case OptionId::IgnoreLang: settings.ignoreLang = true; break;
    case OptionId::MinLength: settings.minLength = parseCount(option.name, value); break;
    case OptionId::Jobs: {
      constexpr unsigned kMostJobs = 1024;
      std::size_t jobs = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), jobs);
      if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
          jobs == 0 || jobs > kMostJobs)
        throw UsageError{"option --jobs needs a number of threads from 1 to " +
                         std::to_string(kMostJobs) + ", not " + quoted(value)};
      settings.jobs = static_cast<unsigned>(jobs);
      break;
    }
    case OptionId::Exceptions: settings.exceptionFiles.push_back(value); break;
    case OptionId::Patterns: settings.patternFile = value; break;
    case OptionId::Left: settings.leftMin = parseCount(option.name, value); break;
    case OptionId::Right: settings.rightMin = parseCount(option.name, value); break;
    case OptionId::List: chooseMode(settings, Mode::List, option.name); break;
    case OptionId::Format:
      if (value != "table" && value != "tsv")
        throw UsageError{"option --format takes table or tsv, not " + quoted(value)};
      settings.tsv = value == "tsv";
      break;
    case OptionId::Licence:
    case OptionId::License:
      if (given) settings.licenceLanguage = parseLanguage(value);
      chooseMode(settings, Mode::Licence, option.name);
      break;
    case OptionId::Version: settings.version = true; break;
    case OptionId::Help: settings.help = true; break;
  }
}

const OptionSpec* findOption(std::string_view name) {
  for (const OptionSpec& option : kOptions)
    if (option.name == name) return &option;
  return nullptr;
}

const OptionSpec* findShortOption(char name) {
  for (const OptionSpec& option : kOptions)
    if (option.shortName != '\0' && option.shortName == name) return &option;
  return nullptr;
}

}  // namespace

Settings parseCommandLine(int argc, char** argv) {
  Settings settings;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      settings.words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg[1] != '-') {
      const OptionSpec* option = findShortOption(arg[1]);
      if (option == nullptr)
        throw UsageError{"unknown option " + quoted(arg.substr(0, 2)) +
                         "; run quellix-hyphenate --help for the options"};
      std::string_view value;
      if (option->argument.empty()) {
        if (arg.size() > 2)
          throw UsageError{"option -" + std::string(1, arg[1]) + " takes no value"};
      } else if (arg.size() > 2) {
        value = arg.substr(2);
      } else if (i + 1 < argc) {
        value = argv[++i];
      } else {
        throw UsageError{"option -" + std::string(1, arg[1]) + " needs a value (" +
                         std::string(option->argument) + ")"};
      }
      applyOption(settings, *option, value);
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(2, equals == std::string_view::npos ? arg.npos
                                                                                 : equals - 2);
    const OptionSpec* option = findOption(name);
    if (option == nullptr)
      throw UsageError{"unknown option " + quoted(arg.substr(0, equals)) +
                       "; run quellix-hyphenate --help for the options"};
    std::string_view value;
    const bool optional = option->argument.starts_with('[');
    if (option->argument.empty()) {
      if (equals != std::string_view::npos)
        throw UsageError{"option --" + std::string(name) + " takes no value"};
    } else if (equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < argc && !(optional && argv[i + 1][0] == '-')) {
      value = argv[++i];
    } else if (optional) {
      applyOption(settings, *option, value, false);
      continue;
    } else {
      throw UsageError{"option --" + std::string(name) + " needs a value (" +
                       std::string(option->argument) + ")"};
    }
    applyOption(settings, *option, value);
  }
  if (settings.dictionaryFile && (settings.languageGiven || settings.patternFile))
    throw UsageError{std::string("--dictionary and --") +
                     (settings.languageGiven ? "language" : "patterns") + " cannot be used together"};
  if (settings.tsv && settings.mode != Mode::List)
    throw UsageError{"--format goes with --list only"};
  if (settings.jobs && settings.mode != Mode::Text && !settings.help && !settings.version)
    throw UsageError{"--jobs goes with --text or --html only"};
  if (settings.exact && settings.mode != Mode::Divide && !settings.help && !settings.version)
    throw UsageError{"--exact and --" + std::string(settings.modeOption) +
                     " cannot be used together"};
  if (settings.mode != Mode::Divide && settings.mode != Mode::Text && !settings.words.empty() &&
      !settings.help && !settings.version)
    throw UsageError{"--" + std::string(settings.modeOption) + " takes no words, but " +
                     quoted(settings.words.front()) + " was given"};
  return settings;
}

std::string helpText() {
  std::string text =
      "Usage: quellix-hyphenate [--language NAME] [--separator SEP] [--min-length N]\n"
      "                         [--exact] [WORD...]\n"
      "       quellix-hyphenate --text | --html [--ignore-lang] [--language NAME]\n"
      "                         [--separator SEP] [--min-length N] [--jobs N] [FILE...]\n"
      "       quellix-hyphenate --dictionary FILE [--separator SEP] [--exact] [WORD...]\n"
      "       quellix-hyphenate --list [--format tsv] | --list-dictionaries\n"
      "       quellix-hyphenate --licence [LANGUAGE] | --version | --help\n"
      "\n"
      "Divides every word of each WORD argument at its permitted break points and\n"
      "prints one line per argument, the pieces joined by SEP; spaces, punctuation,\n"
      "digits and hyphens stay where they are, and a word already written with a\n"
      "hyphen is divided part by part. Without a WORD, does the same for every line of\n"
      "standard input (a line ends at a line feed; an empty line gives an empty line).\n"
      "With --exact, each argument or line is one word, divided as it is. Input and\n"
      "output are UTF-8; bytes that are not UTF-8 pass through unchanged.\n"
      "\n"
      "With --text or --html, copies each FILE (- or none: standard input) to standard\n"
      "output with SEP inserted at every break of every word; all else is unchanged.\n"
      "URLs, e-mail addresses and words that contain a soft hyphen are left whole. On a\n"
      "terminal, standard error shows the progress through large files.\n"
      "\n"
      "Options (--name=VALUE works as well as --name VALUE; -- ends the options):\n";
  std::size_t width = 0;
  for (const OptionSpec& option : kOptions)
    width = std::max(width, option.name.size() + 7 + option.argument.size());
  for (const OptionSpec& option : kOptions) {
    if (option.help.empty()) continue;
    std::string left = option.shortName != '\0' ? std::string{'-', option.shortName, ',', ' '}
                                                 : std::string(4, ' ');
    left.append("--").append(option.name);
    if (!option.argument.empty()) left.append(" ").append(option.argument);
    text.append("  ").append(left).append(width + 2 - left.size(), ' ');
    // Continuation lines of an option's help start in the help column too.
    for (const char c : option.help) {
      text.push_back(c);
      if (c == '\n') text.append(width + 4, ' ');
    }
    text.push_back('\n');
  }
  text.append(
      "\n"
      "--license is --licence.\n"
      "\n"
      "Examples:\n"
      "  $ quellix-hyphenate associate 'well-known computer'\n"
      "  as-so-ciate\n"
      "  well-known com-puter\n"
      "  $ echo Silbentrennung | quellix-hyphenate --language=de-1996 --separator '|'\n"
      "  Sil|ben|tren|nung\n"
      "  $ quellix-hyphenate --min-length 10 associate hyphenation\n"
      "  associate\n"
      "  hy-phen-ation\n"
      "  $ echo 'Hyphenation of running text.' | quellix-hyphenate --text --separator -\n"
      "  Hy-phen-ation of run-ning text.\n"
      "  $ echo '<em>Hyphenation</em>' | quellix-hyphenate --html --separator '&shy;'\n"
      "  <em>Hy&shy;phen&shy;ation</em>\n"
      "  $ quellix-hyphenate --html --language fr page.html > page.hyphenated.html\n"
      "  $ quellix-hyphenate --dictionary /usr/share/hyphen/hyph_hu_HU.dic asszonnyal\n"
      "  asz-szony-nyal\n"
      "\n"
      "Exit status: 0 on success, 1 on a read, write or data failure, 2 on a wrong\n"
      "command line.\n");
  return text;
}

}  // namespace quellix::tool
