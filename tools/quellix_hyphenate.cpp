// quellix-hyphenate: divides words at their permitted break points, from the command line
// or line by line from standard input, with any of the library's 73 languages; or inserts
// soft hyphens into running text or HTML read from files or standard input.
//
// Exit status: 0 on success, 1 when reading, writing or the library fails, 2 for a wrong
// command line (unknown option or language, missing or superfluous value).

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "quellix/custom.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/printable.hpp"
#include "quellix/text.hpp"
#include "quellix/user_files.hpp"
#include "quellix/version.hpp"
#include "tool_platform.hpp"

// kOwnLicence (LICENSE) and kStatedLicences (data/licences.tsv), made by the build.
#include "tool_licences.inc"

namespace {

constexpr std::string_view kProgram = "quellix-hyphenate";

// ---------------------------------------------------------------------------------------
// Errors

// A command line the tool cannot act on; main() prints the message and exits with 2.
struct UsageError {
  std::string message;
};

// A file named on the command line (--patterns, --exceptions) could not be read or holds
// what the library refuses; main() prints the message and exits with 1, as for any failed
// read.
struct FileError {
  std::string message;
};

// Memory ran out; what says where.
struct OutOfMemory {
  std::string what;
};

// A failed read or write of a standard stream; errorNumber is the errno of the failure.
struct StreamError {
  std::string what;
  int errorNumber;
};

// Every message goes through appendPrintable: library messages may quote a word or a
// file name too.
void printError(std::string_view message) {
  constexpr std::size_t kLongestMessage = 1000;
  std::string line;
  line.append(kProgram).append(": ");
  if (quellix::appendPrintable(message, kLongestMessage, line) < message.size()) line.append("...");
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// ---------------------------------------------------------------------------------------
// Buffered output straight to a file descriptor, so that every failure is seen with its
// errno (SIGPIPE is ignored, a closed pipe arrives here as EPIPE).

class Output {
 public:
  explicit Output(int fd) : fd_(fd) { buffer_.reserve(kCapacity); }

  void write(std::string_view bytes) {
    if (bytes.size() >= kCapacity) {
      // Large enough to go out as it is, without a copy.
      flush();
      writeAll(bytes);
      return;
    }
    buffer_.append(bytes);
    if (buffer_.size() >= kCapacity) flush();
  }

  // Writes out everything buffered. Throws StreamError.
  void flush() {
    try {
      writeAll(buffer_);
    } catch (const StreamError&) {
      buffer_.clear();
      throw;
    }
    buffer_.clear();
  }

 private:
  // Throws StreamError.
  void writeAll(std::string_view bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw StreamError{"cannot write to standard output", errno};
      }
      done += static_cast<std::size_t>(n);
    }
  }

  static constexpr std::size_t kCapacity = 64 * 1024;
  int fd_;
  std::string buffer_;
};

// ---------------------------------------------------------------------------------------
// Standard input as a stream of lines split at '\n' only. Memory holds one read chunk and
// the current line, whatever the number of lines.

class LineReader {
 public:
  // Reads fd. Before each read, which may wait for more input, output is flushed: an
  // interactive user sees each answer at once, and piped bulk input is still answered in
  // large blocks.
  LineReader(int fd, Output& output) : fd_(fd), output_(output), chunk_(kChunk, '\0') {}

  // The next line without its '\n' in line; false at the end of input. A final line
  // without '\n' still counts; an empty input has no lines. Throws StreamError.
  bool next(std::string& line) {
    line.clear();
    for (;;) {
      if (pos_ < end_) {
        const char* start = chunk_.data() + pos_;
        const void* found = std::memchr(start, '\n', end_ - pos_);
        if (found != nullptr) {
          const std::size_t length = static_cast<const char*>(found) - start;
          line.append(start, length);
          pos_ += length + 1;
          return true;
        }
        line.append(start, end_ - pos_);
        pos_ = end_;
      }
      // What is left at the end of input is a final line without '\n' (never empty:
      // a byte was taken for it, or nothing was).
      if (eof_) return !line.empty();
      output_.flush();
      fill();
    }
  }

 private:
  static constexpr std::size_t kChunk = 64 * 1024;

  void fill() {
    for (;;) {
      const ssize_t n = ::read(fd_, chunk_.data(), chunk_.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        throw StreamError{"cannot read standard input", errno};
      }
      pos_ = 0;
      end_ = static_cast<std::size_t>(n);
      if (n == 0) eof_ = true;
      return;
    }
  }

  int fd_;
  Output& output_;
  std::string chunk_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
};

// ---------------------------------------------------------------------------------------
// The command line. Every option is one row of kOptions: the parser, the --help text and
// the handlers in applyOption() all work from it, so a new option is one row and one case.

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

enum class Mode { Divide, Text, List, Licence, ListDictionaries };

struct Settings {
  quellix::Language language = quellix::Language::English_US;
  std::vector<std::string_view> exceptionFiles;
  std::optional<std::string_view> patternFile;
  std::optional<std::string_view> dictionaryFile;
  bool languageGiven = false;
  std::optional<std::size_t> leftMin;
  std::optional<std::size_t> rightMin;
  bool tsv = false;
  std::optional<std::string> separator;  // default: "-", or the soft hyphen for Mode::Text
  std::optional<std::size_t> minLength;  // default: 0, or 5 for Mode::Text
  bool html = false;
  bool ignoreLang = false;
  std::optional<unsigned> jobs;  // default: 1
  bool exact = false;
  Mode mode = Mode::Divide;
  std::string_view modeOption;  // the option that chose mode, for conflict messages
  std::optional<quellix::Language> licenceLanguage;  // none: quellix's own licence
  bool help = false;
  bool version = false;
  std::vector<std::string_view> words;  // for Mode::Text, the files
};

// User text as a message shows it: in quotes, made printable and cut.
std::string quoted(std::string_view text) {
  constexpr std::size_t kShownBytes = 200;
  std::string result = "'";
  const std::size_t shown = quellix::appendPrintable(text, kShownBytes, result);
  result.push_back('\'');
  if (shown < text.size()) result.append("... (" + std::to_string(text.size()) + " bytes)");
  return result;
}

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

// Options: "--name", "--name=value" or "--name value"; the short forms "-x", "-xVALUE" or
// "-x VALUE". "--" ends the options; every other argument, "-" included, is a word.
// Throws UsageError.
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

// ---------------------------------------------------------------------------------------
// The modes.

// --licence without a language: quellix's own licence, then the licence that each
// language's notice states, so that a user sees at once what binds a program using them.
std::string ownLicenceText() {
  std::string text = "quellix " QUELLIX_VERSION_STRING " is under the MIT licence:\n\n";
  text.append(kOwnLicence);
  text.append(
      "\nThe pattern data of each language carries its own licence notice;\n"
      "quellix-hyphenate --licence LANGUAGE prints it. The licence each notice states:\n\n");
  std::size_t affixWidth = 0;
  for (const StatedLicence& row : kStatedLicences) affixWidth = std::max(affixWidth, row.affix.size());
  for (const StatedLicence& row : kStatedLicences) {
    text.append(row.affix).append(affixWidth + 2 - row.affix.size(), ' ').append(row.stated);
    const std::optional<quellix::Language> language = quellix::languageFromName(row.affix);
    if (language && !quellix::languageBuiltIn(*language)) text.append(" (not built in)");
    text.push_back('\n');
  }
  return text;
}

void listLanguages(Output& out, bool tsv) {
  const quellix::LanguageRange all = quellix::enumFrom(quellix::languageMinBound);
  std::string line;
  if (tsv) {
    out.write("number\tname\taffix\tleft\tright\tbuilt in\n");
    for (const quellix::Language language : all) {
      const quellix::Hyphenator& h = quellix::languageHyphenator(language);
      line = std::to_string(quellix::fromEnum(language));
      line.append("\t").append(quellix::languageName(language));
      line.append("\t").append(quellix::languageAffix(language));
      line.append("\t").append(std::to_string(quellix::hyphenatorLeftMin(h)));
      line.append("\t").append(std::to_string(quellix::hyphenatorRightMin(h)));
      line.append(quellix::languageBuiltIn(language) ? "\tyes\n" : "\tno\n");
      out.write(line);
    }
    return;
  }
  std::size_t nameWidth = 0;
  std::size_t affixWidth = 0;
  for (const quellix::Language language : all) {
    nameWidth = std::max(nameWidth, quellix::languageName(language).size());
    affixWidth = std::max(affixWidth, quellix::languageAffix(language).size());
  }
  for (const quellix::Language language : all) {
    // Reading the margins builds none of the language's tables.
    const quellix::Hyphenator& h = quellix::languageHyphenator(language);
    const std::string number = std::to_string(quellix::fromEnum(language));
    const std::string_view name = quellix::languageName(language);
    const std::string_view affix = quellix::languageAffix(language);
    line.assign(2 - std::min<std::size_t>(2, number.size()), ' ').append(number);
    line.append("  ").append(name).append(nameWidth - name.size(), ' ');
    line.append("  ").append(affix).append(affixWidth - affix.size(), ' ');
    line.append("  ").append(std::to_string(quellix::hyphenatorLeftMin(h)));
    line.append(" ").append(std::to_string(quellix::hyphenatorRightMin(h)));
    const std::vector<std::string_view> aliases = quellix::languageAliases(language);
    for (std::size_t i = 0; i < aliases.size(); ++i)
      line.append(i == 0 ? "  also " : ", ").append(aliases[i]);
    if (!quellix::languageBuiltIn(language)) line.append("  (not built in)");
    line.push_back('\n');
    out.write(line);
  }
}

// The dictionaries of /usr/share/hyphen and of $QUELLIX_DICTIONARIES: path, the language tag
// the file name gives (hyph_de_DE.dic: de-DE), the encoding its first line names, and the
// built-in language that tag names. Only the first line of each file is read.
void listDictionaries(Output& out) {
  std::vector<std::string> directories{"/usr/share/hyphen"};
  if (const char* extra = std::getenv("QUELLIX_DICTIONARIES"); extra != nullptr && *extra != '\0')
    directories.emplace_back(extra);
  for (const std::string& directory : directories) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
      while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".dic") names.emplace_back(name);
      }
      ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string path = directory + "/" + name;
      std::string tag = name.substr(0, name.size() - 4);
      if (tag.rfind("hyph_", 0) == 0) tag.erase(0, 5);
      std::replace(tag.begin(), tag.end(), '_', '-');
      std::string encoding = "?";
      if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char first[64] = {};
        if (std::fgets(first, sizeof first, file) != nullptr) {
          encoding = first;
          while (!encoding.empty() && (encoding.back() == '\n' || encoding.back() == '\r' ||
                                       encoding.back() == ' '))
            encoding.pop_back();
        }
        std::fclose(file);
      }
      const std::optional<quellix::Language> language = quellix::findLanguage(tag);
      std::string line;
      quellix::appendPrintable(path, 4096, line);
      line.append("\t");
      quellix::appendPrintable(tag, 200, line);
      line.append("\t");
      quellix::appendPrintable(encoding, 64, line);
      line.append("\t").append(language ? quellix::languageName(*language) : "-").append("\n");
      out.write(line);
    }
  }
}

// Divides each line as one word (--exact), one output line per line; reuses its buffers
// from word to word.
class Divider {
 public:
  // Words of fewer than minLength characters are printed whole.
  Divider(const quellix::Hyphenator& h, std::string separator, std::size_t minLength,
          Output& out, bool withChanges = false)
      : h_(h), separator_(std::move(separator)), minLength_(minLength), out_(out),
        withChanges_(withChanges) {}

  // A final carriage return is the line's ending (CR LF), not part of the word.
  void divideLine(std::string_view line) {
    const bool carriageReturn = !line.empty() && line.back() == '\r';
    if (carriageReturn) line.remove_suffix(1);
    divide(line, carriageReturn ? "\r\n" : "\n");
  }

  void divide(std::string_view word, std::string_view ending = "\n") {
    line_.clear();
    appendDivided(word);
    line_.append(ending);
    out_.write(line_);
  }

  // Appends word divided (with the changes of spelling of a dictionary, if asked) to line_.
  void appendDivided(std::string_view word) {
    if (characterCount(word) < minLength_) {
      line_.append(word);
    } else if (withChanges_) {
      const std::vector<std::string> pieces = quellix::hyphenateWithChanges(h_, word);
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i != 0) line_.append(separator_);
        line_.append(pieces[i]);
      }
    } else {
      const std::vector<std::string_view> pieces = quellix::hyphenate(h_, word);
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i != 0) line_.append(separator_);
        line_.append(pieces[i]);
      }
    }
  }

  // Divides every blank-separated word of line with a dictionary, leaving blanks and the
  // punctuation at either end of a word where they are.
  void divideWords(std::string_view line, std::string_view ending = "\n") {
    line_.clear();
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    // ASCII punctuation, and the Latin-1 guillemets and inverted marks, are no part of a word.
    const auto punctuationAt = [](std::string_view text, std::size_t at) -> std::size_t {
      const auto b = static_cast<unsigned char>(text[at]);
      if (b < 0x80) return std::strchr(".,;:!?\"'()[]{}<>*/", b) != nullptr && b != 0 ? 1 : 0;
      for (std::string_view mark : {"\u00AB", "\u00BB", "\u00A1", "\u00BF", "\u201C", "\u201D", "\u201E", "\u2018", "\u2019"})
        if (text.substr(at, mark.size()) == mark) return mark.size();
      return 0;
    };
    std::size_t at = 0;
    while (at < line.size()) {
      std::size_t end = at;
      while (end < line.size() && !isBlank(line[end])) ++end;
      std::string_view token = line.substr(at, end - at);
      std::size_t front = 0;
      while (front < token.size()) {
        const std::size_t mark = punctuationAt(token, front);
        if (mark == 0) break;
        front += mark;
      }
      std::size_t back = token.size();
      for (bool more = true; more && back > front;) {
        more = false;
        for (std::size_t length = 1; length <= 3 && length <= back - front; ++length) {
          if (punctuationAt(token, back - length) == length) {
            back -= length;
            more = true;
            break;
          }
        }
      }
      line_.append(token.substr(0, front));
      appendDivided(token.substr(front, back - front));
      line_.append(token.substr(back));
      while (end < line.size() && isBlank(line[end])) line_.push_back(line[end++]);
      at = end;
    }
    line_.append(ending);
    out_.write(line_);
  }

  void divideWordsOfLine(std::string_view line) {
    const bool carriageReturn = !line.empty() && line.back() == '\r';
    if (carriageReturn) line.remove_suffix(1);
    divideWords(line, carriageReturn ? "\r\n" : "\n");
  }

 private:
  const quellix::Hyphenator& h_;
  std::string separator_;
  std::size_t minLength_;
  // The characters of text as the library counts them (a malformed byte is one).
  static std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (; !text.empty(); ++count) text.remove_prefix(quellix::firstUtf8Char(text).length);
    return count;
  }

  Output& out_;
  bool withChanges_ = false;
  std::string line_;
};

// Divides every word of each argument or line, leaving everything else where it is: the
// library's running-text division, line by line. Standard input is streamed, so memory
// stays bounded however long a line is.
class WordDivider {
 public:
  WordDivider(const quellix::Hyphenator& h, std::string separator, std::size_t minLength,
              Output& out)
      : hyphenator_(h, optionsFor(std::move(separator), minLength)), out_(out) {}

  void divideArgument(std::string_view argument) {
    text_.clear();
    hyphenator_.write(argument, text_);
    hyphenator_.finish(text_);
    text_.push_back('\n');
    out_.write(text_);
  }

  // Every line of fd; a last line without a line feed gets one. Throws StreamError.
  void divideStream(int fd) {
    std::string chunk(64 * 1024, '\0');
    char last = '\n';
    for (;;) {
      // Reading may wait for more input: what is decided is delivered first.
      out_.flush();
      const ssize_t n = ::read(fd, chunk.data(), chunk.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw StreamError{"cannot read standard input", errno};
      if (n == 0) break;
      last = chunk[static_cast<std::size_t>(n) - 1];
      text_.clear();
      hyphenator_.write(std::string_view(chunk.data(), static_cast<std::size_t>(n)), text_);
      out_.write(text_);
    }
    text_.clear();
    hyphenator_.finish(text_);
    if (last != '\n') text_.push_back('\n');
    out_.write(text_);
  }

 private:
  static quellix::TextOptions optionsFor(std::string separator, std::size_t minLength) {
    quellix::TextOptions options;
    options.hyphen = std::move(separator);
    options.minWordLength = minLength;
    return options;
  }

  quellix::TextHyphenator hyphenator_;
  Output& out_;
  std::string text_;
};

// ---------------------------------------------------------------------------------------
// Running text.

// A progress line on standard error for inputs larger than a mebibyte, such as
// "quellix-hyphenate: book.txt 12.5 of 40.0 MiB (31%)": drawn when the input passes the
// mebibyte, redrawn at most four times a second, erased when the input is done (or the
// tool stops). Drawn only when standard error is a terminal and standard output is not,
// so that it never mixes with the text itself.
class Progress {
 public:
  static bool wanted() { return isatty(STDERR_FILENO) == 1 && isatty(STDOUT_FILENO) != 1; }

  explicit Progress(bool enabled) : enabled_(enabled) {}
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress() { erase(); }

  // A new input; total is its size when known.
  void start(std::string_view name, std::optional<std::uint64_t> total) {
    erase();
    // The name as every message shows it: a file name may hold terminal escapes too.
    name_.clear();
    if (quellix::appendPrintable(name, kLongestName, name_) < name.size()) name_.append("...");
    total_ = total;
    done_ = 0;
  }

  void advance(std::size_t bytes) {
    done_ += bytes;
    if (!enabled_ || std::max(done_, total_.value_or(0)) <= kLargeInput) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ != 0 && now - drawn_ < kInterval) return;
    drawn_ = now;
    draw();
  }

  void erase() {
    if (shown_ == 0) return;
    std::string blank = "\r";
    blank.append(shown_, ' ').push_back('\r');
    writeAll(blank);
    shown_ = 0;
  }

 private:
  static constexpr std::uint64_t kLargeInput = 1 << 20;
  static constexpr std::size_t kLongestName = 200;
  static constexpr auto kInterval = std::chrono::milliseconds(250);

  static std::string mebibytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1 << 20));
    return text;
  }

  void draw() {
    std::string line = "\r";
    line.append(kProgram).append(": ").append(name_).append(" ").append(mebibytes(done_));
    if (total_ && *total_ > 0) {
      const std::uint64_t percent = std::min<std::uint64_t>(100, done_ * 100 / *total_);
      line.append(" of ").append(mebibytes(*total_)).append(" MiB (");
      line.append(std::to_string(percent)).append("%)");
    } else {
      line.append(" MiB");
    }
    // Pad over the end of a longer previous line.
    const std::size_t length = line.size() - 1;
    if (length < shown_) line.append(shown_ - length, ' ');
    shown_ = std::max(shown_, length);
    writeAll(line);
  }

  // Progress is a courtesy: a failed write to standard error is not an error of the tool.
  static void writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(STDERR_FILENO, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  bool enabled_;
  std::string name_;
  std::optional<std::uint64_t> total_;
  std::uint64_t done_ = 0;
  std::size_t shown_ = 0;  // length of the line on the terminal, 0: none
  std::chrono::steady_clock::time_point drawn_;
};

// Input read a block at a time: the bytes held and how many of them are read. The block
// grows with what arrives (from 64 KiB, doubling), never to its limit in advance, so that
// a large --jobs costs memory only for input that is there.
struct InputBlock {
  std::string bytes;
  std::size_t filled = 0;

  std::string_view view() const { return {bytes.data(), filled}; }

  // Reads fd until the block holds limit bytes or the input ends; with oneRead, stops
  // after the first read that gives bytes. False once the input has ended; on a read error
  // also calls failed(errno) first.
  template <class Failed>
  bool read(int fd, std::size_t limit, bool oneRead, Failed&& failed) {
    filled = 0;
    return readMore(fd, limit, oneRead, failed);
  }

  // read() after the filled bytes already held.
  template <class Failed>
  bool readMore(int fd, std::size_t limit, bool oneRead, Failed&& failed) {
    while (filled < limit) {
      if (filled == bytes.size())
        bytes.resize(std::min(limit, std::max<std::size_t>(64 * 1024, 2 * bytes.size())));
      const std::size_t room = std::min(bytes.size(), limit) - filled;
      const ssize_t n = ::read(fd, bytes.data() + filled, room);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) failed(errno);
      if (n <= 0) return false;
      filled += static_cast<std::size_t>(n);
      if (oneRead) break;
    }
    return true;
  }
};

// Joins a thread when it goes out of scope, so that an error on this thread cannot leave
// it running.
struct JoinOnExit {
  std::thread& thread;
  ~JoinOnExit() {
    if (thread.joinable()) thread.join();
  }
};

// Plain text on several threads. Each thread in turn reads the next block of the input
// (256 KiB, cut after its last ASCII white space: nothing of a plain text is held
// back there, so each block is a text of its own), divides it into its own output buffer,
// and writes that once every block before it is written. Every thread reads, divides and
// writes blocks of its own, so none waits for the slowest part of a block, and a thread's
// buffers serve all its blocks. Threads are started as blocks keep coming, so a small
// input costs one.
class PlainTextPipeline {
 public:
  PlainTextPipeline(const quellix::Hyphenator& h, const quellix::TextOptions& options,
                    unsigned jobs, Output& out, Progress& progress)
      : h_(h), options_(options), jobs_(jobs), out_(out), progress_(progress) {}
  PlainTextPipeline(const PlainTextPipeline&) = delete;
  PlainTextPipeline& operator=(const PlainTextPipeline&) = delete;

  // Divides and writes fd's text; what it returns was read and not divided: nothing,
  // unless a block held no white space (a token of 256 KiB), from where on one thread
  // must go on. A read error is reported by readFailed(errno) after the text read before
  // it is written, as one thread does. Rethrows what a block threw (StreamError, no
  // memory) once the blocks before it are written, and writes nothing after it.
  template <class ReadFailed>
  std::string run(int fd, ReadFailed&& readFailed) {
    fd_ = fd;
    readFailed_ = [&readFailed](int error) { readFailed(error); };
    ended_ = false;
    stopped_ = false;
    failure_ = nullptr;
    held_.clear();
    nextTicket_ = 0;
    nextTurn_ = 0;
    work();
    {
      const std::lock_guard lock(inputMutex_);
      ended_ = true;  // no thread is started after this
    }
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
    if (failure_) std::rethrow_exception(failure_);
    return std::move(held_);
  }

 private:
  static constexpr std::size_t kBlockBytes = std::size_t{256} << 10;

  // Where block may be cut: after its last ASCII white space; 0 when it has none. An
  // ASCII byte is never part of a longer UTF-8 sequence.
  static std::size_t lastCut(std::string_view block) {
    for (std::size_t at = block.size(); at > 0; --at)
      switch (block[at - 1]) {
        case ' ': case '\n': case '\t': case '\r': case '\f': case '\v':
          return at;
        default:
          break;
      }
    return 0;
  }

  // Takes blocks until the input ends or a block fails.
  void work() noexcept {
    InputBlock block;
    std::string text;
    std::optional<quellix::TextHyphenator> hyphenator;
    for (;;) {
      std::uint64_t ticket = 0;
      int readError = 0;
      bool stalled = false;  // no white space: left for one thread
      std::exception_ptr failure;
      {
        const std::lock_guard lock(inputMutex_);
        if (ended_) return;
        ticket = nextTicket_++;
        try {
          // What the block before read past its cut comes first.
          block.filled = held_.size();
          if (block.bytes.size() < block.filled) block.bytes.resize(block.filled);
          held_.copy(block.bytes.data(), block.filled);
          held_.clear();
          if (!block.readMore(fd_, block.filled + kBlockBytes, false,
                              [&readError](int error) { readError = error; })) {
            ended_ = true;
          } else {
            const std::size_t cut = lastCut(block.view());
            stalled = cut == 0;
            held_.assign(block.view().substr(cut));
            block.filled = cut;
            ended_ = stalled;
            if (!ended_ && threads_.size() + 1 < jobs_) {
              try {
                threads_.emplace_back([this] { work(); });
              } catch (...) {
                jobs_ = static_cast<unsigned>(threads_.size() + 1);  // the threads there are
              }
            }
          }
        } catch (...) {
          failure = std::current_exception();
          ended_ = true;
        }
      }
      if (!failure && block.filled > 0) {
        try {
          if (!hyphenator) hyphenator.emplace(h_, options_);
          text.clear();
          hyphenator->write(block.view(), text);
          hyphenator->finish(text);
        } catch (...) {
          failure = std::current_exception();
        }
      }
      std::unique_lock turn(turnMutex_);
      turnChanged_.wait(turn, [&] { return nextTurn_ == ticket || stopped_; });
      if (stopped_) return;
      turn.unlock();
      // This block's turn: every block before it is written.
      try {
        if (readError != 0) readFailed_(readError);
        if (failure) std::rethrow_exception(failure);
        if (block.filled > 0) {
          out_.write(text);
          // What is decided is delivered before a read that may wait.
          out_.flush();
          progress_.advance(block.filled);
        }
      } catch (...) {
        failure = std::current_exception();
      }
      turn.lock();
      if (failure) {
        failure_ = failure;
        stopped_ = true;
      }
      ++nextTurn_;
      turn.unlock();
      turnChanged_.notify_all();
      if (failure || stalled) {
        const std::lock_guard lock(inputMutex_);
        ended_ = true;
        return;
      }
    }
  }

  const quellix::Hyphenator& h_;
  const quellix::TextOptions& options_;
  unsigned jobs_;
  Output& out_;
  Progress& progress_;
  int fd_ = -1;
  std::function<void(int)> readFailed_;

  // Reading, under inputMutex_: the threads started, whether the input is done, the bytes
  // read past the last block's cut, and the number of the next block.
  std::mutex inputMutex_;
  std::vector<std::thread> threads_;
  bool ended_ = false;
  std::string held_;
  std::uint64_t nextTicket_ = 0;

  // Writing, under turnMutex_: the block whose turn it is, and whether a block failed.
  std::mutex turnMutex_;
  std::condition_variable turnChanged_;
  std::uint64_t nextTurn_ = 0;
  bool stopped_ = false;
  std::exception_ptr failure_;
};

// Copies each input (a file, or "-" for standard input; none: standard input) to out with
// the separator inserted at every break of every word. An input that cannot be opened or
// read is reported and the next one taken. Returns the exit status.
//
// With one thread the input is read in small blocks and what is decided is written at
// once. With several, plain text goes through PlainTextPipeline. HTML carries its markup
// state and the languages of open elements from block to block, which only the library's
// own cutting follows: blocks of jobs x 1 MiB are divided on that many threads while this
// thread writes the text of the block before and reads the one after. The output is the
// same byte for byte.
int hyphenateInputs(const Settings& settings, const quellix::Hyphenator& h, Output& out) {
  Progress progress(Progress::wanted());
  quellix::TextOptions options;
  options.hyphen = settings.separator.value_or("\u00AD");
  options.minWordLength = settings.minLength.value_or(5);
  options.markup = settings.html ? quellix::TextMarkup::Html : quellix::TextMarkup::Plain;
  options.followLang = !settings.ignoreLang;
  quellix::TextHyphenator hyphenator(h, options);
  // Once for each lang value that names no language here, in the run.
  hyphenator.onUnknownLanguage([&progress](std::string_view value) {
    progress.erase();
    const std::optional<quellix::Language> language = quellix::findLanguage(value);
    printError("warning: lang=" + quoted(value) +
               (language ? " names " + std::string(quellix::languageName(*language)) +
                               ", which this build of quellix leaves out"
                         : std::string(" names no language quellix has")) +
               ": its text is left undivided");
  });
  std::vector<std::string_view> inputs = settings.words;
  if (inputs.empty()) inputs.push_back("-");
  const unsigned jobs = settings.jobs.value_or(1);
  constexpr std::size_t kOneThreadBlock = 64 * 1024;
  const std::size_t blockLimit = jobs * (std::size_t{1} << 20);  // HTML on several threads
  std::optional<PlainTextPipeline> pipeline;
  if (jobs > 1 && !settings.html) pipeline.emplace(h, options, jobs, out, progress);
  InputBlock blocks[2];
  std::string texts[2];
  int status = 0;
  for (const std::string_view input : inputs) {
    const bool standardInput = input == "-";
    const auto report = [&](std::string_view what, int error) {
      progress.erase();
      printError(std::string(what) + " " +
                 (standardInput ? std::string("standard input") : quoted(input)) + ": " +
                 std::strerror(error));
      status = 1;
    };
    const auto readFailed = [&](int error) { report("cannot read", error); };
    const int fd = standardInput ? STDIN_FILENO : quellix::tool::openForReading(input);
    if (fd < 0) {
      report("cannot open", errno);
      continue;
    }
    struct stat info {};
    std::optional<std::uint64_t> total;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
      total = static_cast<std::uint64_t>(info.st_size);
    progress.start(standardInput ? "standard input" : input, total);
    // The text from where fd stands, on this thread.
    const auto divideHere = [&] {
      for (bool more = true; more;) {
        // Reading may wait for more input: what is decided is delivered first.
        out.flush();
        more = blocks[0].read(fd, kOneThreadBlock, true, readFailed);
        texts[0].clear();
        hyphenator.write(blocks[0].view(), texts[0]);
        out.write(texts[0]);
        progress.advance(blocks[0].filled);
      }
    };
    if (jobs == 1) {
      divideHere();
    } else if (!settings.html) {
      const std::string unread = pipeline->run(fd, readFailed);
      if (!unread.empty()) {
        // A block without white space: one thread goes on from it.
        texts[0].clear();
        hyphenator.write(unread, texts[0]);
        out.write(texts[0]);
        progress.advance(unread.size());
        divideHere();
      }
    } else {
      bool more = blocks[0].read(fd, blockLimit, false, readFailed);
      bool pending = false;  // texts[other] holds the text of the block before, unwritten
      for (std::size_t current = 0;; current = 1 - current) {
        const std::size_t other = 1 - current;
        std::exception_ptr failure;
        const auto divide = [&] {
          try {
            texts[current].clear();
            hyphenator.write(blocks[current].view(), texts[current], jobs);
          } catch (...) {
            failure = std::current_exception();
          }
        };
        std::thread divider;
        {
          const JoinOnExit join{divider};
          try {
            divider = std::thread(divide);
          } catch (const std::system_error&) {
            divide();  // no thread to spare: divide here, then write and read
          }
          if (pending) {
            out.write(texts[other]);
            progress.advance(blocks[other].filled);
          }
          // Reading may wait for more input: what is decided is delivered first.
          out.flush();
          blocks[other].filled = 0;
          if (more) more = blocks[other].read(fd, blockLimit, false, readFailed);
        }
        if (failure) std::rethrow_exception(failure);
        pending = true;
        if (blocks[other].filled == 0) {
          out.write(texts[current]);
          progress.advance(blocks[current].filled);
          break;
        }
      }
    }
    // Each input is a text of its own: nothing is held over into the next.
    texts[0].clear();
    hyphenator.finish(texts[0]);
    out.write(texts[0]);
    if (!standardInput) ::close(fd);
    progress.erase();
  }
  return status;
}

// The language's hyphenator with the command line's own patterns, exception words and
// margins. Every file is read and checked before anything is divided. Throws FileError.
quellix::Hyphenator chosenHyphenator(const Settings& settings) {
  quellix::Hyphenator h = quellix::languageHyphenator(settings.language);
  try {
    if (settings.dictionaryFile) h = quellix::loadDictionary(*settings.dictionaryFile);
    if (settings.patternFile)
      h = quellix::withPatternText(h, quellix::readUserFile(std::string(*settings.patternFile)),
                                   *settings.patternFile);
    for (const std::string_view file : settings.exceptionFiles)
      h = quellix::withExceptions(h, quellix::readUserFile(std::string(file)), file);
  } catch (const quellix::ArgumentError& error) {
    throw FileError{error.what()};
  } catch (const quellix::FileError& error) {
    throw FileError{error.what()};
  }
  if (settings.leftMin || settings.rightMin) {
    // Counts past any word's length behave alike; the cap keeps them in range.
    const auto margin = [](std::optional<std::size_t> given, std::int64_t own) {
      return given ? static_cast<std::int64_t>(std::min<std::size_t>(*given, INT64_MAX)) : own;
    };
    h = quellix::withMargins(h, margin(settings.leftMin, quellix::hyphenatorLeftMin(h)),
                             margin(settings.rightMin, quellix::hyphenatorRightMin(h)));
  }
  return h;
}

// Does what the command line asks, writing to out; the exit status.
int act(const Settings& settings, const quellix::Hyphenator& h, Output& out) {
  if (settings.help) {
    out.write(helpText());
  } else if (settings.version) {
    out.write(std::string(kProgram) + " " + QUELLIX_VERSION_STRING + "\n");
  } else if (settings.mode == Mode::List) {
    listLanguages(out, settings.tsv);
  } else if (settings.mode == Mode::ListDictionaries) {
    listDictionaries(out);
  } else if (settings.mode == Mode::Licence) {
    if (settings.licenceLanguage)
      out.write(quellix::languageLicence(*settings.licenceLanguage));
    else
      out.write(ownLicenceText());
  } else if (settings.mode == Mode::Text) {
    return hyphenateInputs(settings, h, out);
  } else if (settings.exact || settings.dictionaryFile) {
    // A dictionary's words are shown with their changes of spelling.
    const bool dictionary = settings.dictionaryFile.has_value();
    Divider divider(h, settings.separator.value_or("-"), settings.minLength.value_or(0), out, dictionary);
    const bool words = dictionary && !settings.exact;
    if (!settings.words.empty()) {
      for (const std::string_view word : settings.words)
        words ? divider.divideWords(word) : divider.divide(word);
    } else {
      LineReader reader(STDIN_FILENO, out);
      std::string line;
      std::uint64_t number = 0;  // of the line being read or divided
      try {
        for (++number; reader.next(line); ++number)
          words ? divider.divideWordsOfLine(line) : divider.divideLine(line);
      } catch (const std::bad_alloc&) {
        throw OutOfMemory{"out of memory while reading line " + std::to_string(number)};
      }
    }
  } else {
    WordDivider divider(h, settings.separator.value_or("-"), settings.minLength.value_or(0), out);
    if (!settings.words.empty()) {
      for (const std::string_view word : settings.words) divider.divideArgument(word);
    } else {
      divider.divideStream(STDIN_FILENO);
    }
  }
  return 0;
}

// Parses the command line and does what it asks; the exit status, or an exception.
int run(int argc, char** argv) {
  Settings settings;
  std::optional<quellix::Hyphenator> h;
  try {
    settings = parseCommandLine(argc, argv);
    h = chosenHyphenator(settings);
  } catch (const UsageError& error) {
    printError(error.message);
    return 2;
  } catch (const FileError& error) {
    printError(error.message);
    return 1;
  }
  Output out(STDOUT_FILENO);
  int status = 0;
  try {
    status = act(settings, *h, out);
  } catch (...) {
    // Whatever failed, the lines already divided are still delivered.
    try {
      out.flush();
    } catch (const StreamError&) {
    }
    throw;
  }
  out.flush();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  quellix::tool::prepareStandardStreams();
  try {
    quellix::tool::Utf8Arguments arguments(argc, argv);
    return run(arguments.argc(), arguments.argv());
  } catch (const StreamError& error) {
    // A closed pipe means the reader has all it wanted, as with `| head`: no message.
    if (error.errorNumber != EPIPE)
      printError(error.what + ": " + std::strerror(error.errorNumber));
    return 1;
  } catch (const OutOfMemory& error) {
    printError(error.what);
    return 1;
  } catch (const std::bad_alloc&) {
    printError("out of memory");
    return 1;
  } catch (const std::exception& error) {
    printError(error.what());
    return 1;
  }
}
