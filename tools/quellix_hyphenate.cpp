// quellix-hyphenate: divides words at their permitted break points, from the command line
// or line by line from standard input, with any of the library's 73 languages.
//
// Exit status: 0 on success, 1 when reading, writing or the library fails, 2 for a wrong
// command line (unknown option or language, missing or superfluous value).

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/version.hpp"
#include "utf8_text.hpp"

namespace {

constexpr std::string_view kProgram = "quellix-hyphenate";

// ---------------------------------------------------------------------------------------
// Errors

// A command line the tool cannot act on; main() prints the message and exits with 2.
struct UsageError {
  std::string message;
};

// A failed read or write of a standard stream; errorNumber is the errno of the failure.
struct StreamError {
  std::string what;
  int errorNumber;
};

void printError(std::string_view message) {
  std::string line;
  line.append(kProgram).append(": ").append(message).push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// ---------------------------------------------------------------------------------------
// Buffered output straight to a file descriptor, so that every failure is seen with its
// errno (SIGPIPE is ignored, a closed pipe arrives here as EPIPE).

class Output {
 public:
  explicit Output(int fd) : fd_(fd) { buffer_.reserve(kCapacity); }

  void write(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kCapacity) flush();
  }

  // Writes out everything buffered. Throws StreamError.
  void flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
      const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        buffer_.clear();
        throw StreamError{"cannot write to standard output", error};
      }
      done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
  }

 private:
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

enum class OptionId { Language, Separator, List, Licence, Version, Help };

struct OptionSpec {
  OptionId id;
  std::string_view name;      // without the leading "--"
  std::string_view argument;  // name of the value in --help; empty: the option takes none
  std::string_view help;      // lines of at most 58 characters
};

constexpr OptionSpec kOptions[] = {
    {OptionId::Language, "language", "NAME",
     "divide in language NAME: a name (English_US) or an affix\n"
     "(en-us); default en-us"},
    {OptionId::Separator, "separator", "SEP", "join the pieces of a word with SEP; default -"},
    {OptionId::List, "list", "",
     "list every language: number, name, affix, left and right\n"
     "margin (the shortest first and last piece)"},
    {OptionId::Licence, "licence", "LANGUAGE", "print the licence of LANGUAGE's pattern data"},
    {OptionId::Version, "version", "", "print the version and exit"},
    {OptionId::Help, "help", "", "print this help and exit"},
};

enum class Mode { Divide, List, Licence };

struct Settings {
  quellix::Language language = quellix::Language::English_US;
  std::string separator = "-";
  Mode mode = Mode::Divide;
  std::string_view modeOption;  // the option that chose mode, for conflict messages
  quellix::Language licenceLanguage = quellix::Language::English_US;
  bool help = false;
  bool version = false;
  std::vector<std::string_view> words;
};

std::string quoted(std::string_view text) {
  std::string result = "'";
  result.append(text).push_back('\'');
  return result;
}

quellix::Language parseLanguage(std::string_view name) {
  if (const auto language = quellix::languageFromName(name)) return *language;
  throw UsageError{"unknown language " + quoted(name) +
                   "; run quellix-hyphenate --list for the names and affixes"};
}

void chooseMode(Settings& settings, Mode mode, std::string_view option) {
  if (settings.mode != Mode::Divide && settings.modeOption != option)
    throw UsageError{"--" + std::string(settings.modeOption) + " and --" + std::string(option) +
                     " cannot be used together"};
  settings.mode = mode;
  settings.modeOption = option;
}

void applyOption(Settings& settings, const OptionSpec& option, std::string_view value) {
  switch (option.id) {
    case OptionId::Language: settings.language = parseLanguage(value); break;
    case OptionId::Separator: settings.separator = value; break;
    case OptionId::List: chooseMode(settings, Mode::List, option.name); break;
    case OptionId::Licence:
      settings.licenceLanguage = parseLanguage(value);
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

// Options are long only: "--name", "--name=value" or "--name value". "--" ends the
// options; every other argument, "-" included, is a word. Throws UsageError.
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
    if (arg[1] != '-')
      throw UsageError{"unknown option " + quoted(arg) + " (options are long, such as --help)"};
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(2, equals == std::string_view::npos ? arg.npos
                                                                                 : equals - 2);
    const OptionSpec* option = findOption(name);
    if (option == nullptr)
      throw UsageError{"unknown option " + quoted(arg.substr(0, equals)) +
                       "; run quellix-hyphenate --help for the options"};
    std::string_view value;
    if (option->argument.empty()) {
      if (equals != std::string_view::npos)
        throw UsageError{"option --" + std::string(name) + " takes no value"};
    } else if (equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      throw UsageError{"option --" + std::string(name) + " needs a value (" +
                       std::string(option->argument) + ")"};
    }
    applyOption(settings, *option, value);
  }
  if (settings.mode != Mode::Divide && !settings.words.empty() && !settings.help &&
      !settings.version)
    throw UsageError{"--" + std::string(settings.modeOption) + " takes no words, but " +
                     quoted(settings.words.front()) + " was given"};
  return settings;
}

std::string helpText() {
  std::string text =
      "Usage: quellix-hyphenate [--language NAME] [--separator SEP] [WORD...]\n"
      "       quellix-hyphenate --list | --licence LANGUAGE | --version | --help\n"
      "\n"
      "Divides each WORD at its permitted break points and prints one line per word,\n"
      "the pieces joined by SEP. Without a WORD, divides every line of standard input\n"
      "(a line ends at a line feed; an empty line gives an empty line). Input and\n"
      "output are UTF-8; bytes that are not UTF-8 pass through unchanged.\n"
      "\n"
      "Options (--name=VALUE works as well as --name VALUE; -- ends the options):\n";
  std::size_t width = 0;
  for (const OptionSpec& option : kOptions)
    width = std::max(width, option.name.size() + 3 + option.argument.size());
  for (const OptionSpec& option : kOptions) {
    std::string left = "--";
    left.append(option.name);
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
      "Examples:\n"
      "  $ quellix-hyphenate associate computer\n"
      "  as-so-ciate\n"
      "  com-puter\n"
      "  $ echo Silbentrennung | quellix-hyphenate --language=de-1996 --separator '|'\n"
      "  Sil|ben|tren|nung\n"
      "\n"
      "Exit status: 0 on success, 1 on a read, write or data failure, 2 on a wrong\n"
      "command line.\n");
  return text;
}

// ---------------------------------------------------------------------------------------
// The modes.

void listLanguages(Output& out) {
  const quellix::LanguageRange all = quellix::enumFrom(quellix::languageMinBound);
  std::size_t nameWidth = 0;
  std::size_t affixWidth = 0;
  for (const quellix::Language language : all) {
    nameWidth = std::max(nameWidth, quellix::languageName(language).size());
    affixWidth = std::max(affixWidth, quellix::languageAffix(language).size());
  }
  std::string line;
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
    line.append(" ").append(std::to_string(quellix::hyphenatorRightMin(h))).push_back('\n');
    out.write(line);
  }
}

// Divides words, one output line per word; reuses its buffers from word to word.
class Divider {
 public:
  Divider(const quellix::Hyphenator& h, std::string separator, Output& out)
      : h_(h), separator_(std::move(separator)), out_(out) {}

  void divide(std::string_view word) {
    quellix::tool::decodeUtf8Lossless(word, text_);
    line_.clear();
    const std::vector<std::u32string> pieces = quellix::hyphenate(h_, text_);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      if (i != 0) line_.append(separator_);
      quellix::tool::appendUtf8Lossless(pieces[i], line_);
    }
    line_.push_back('\n');
    out_.write(line_);
  }

 private:
  const quellix::Hyphenator& h_;
  std::string separator_;
  Output& out_;
  std::u32string text_;
  std::string line_;
};

// Does what the command line asks, writing to out.
void act(const Settings& settings, Output& out) {
  if (settings.help) {
    out.write(helpText());
  } else if (settings.version) {
    out.write(std::string(kProgram) + " " + QUELLIX_VERSION_STRING + "\n");
  } else if (settings.mode == Mode::List) {
    listLanguages(out);
  } else if (settings.mode == Mode::Licence) {
    out.write(quellix::languageLicence(settings.licenceLanguage));
  } else {
    Divider divider(quellix::languageHyphenator(settings.language), settings.separator, out);
    if (!settings.words.empty()) {
      for (const std::string_view word : settings.words) divider.divide(word);
    } else {
      LineReader reader(STDIN_FILENO, out);
      std::string line;
      while (reader.next(line)) divider.divide(line);
    }
  }
}

// Parses the command line and does what it asks; the exit status, or an exception.
int run(int argc, char** argv) {
  Settings settings;
  try {
    settings = parseCommandLine(argc, argv);
  } catch (const UsageError& error) {
    printError(error.message);
    return 2;
  }
  Output out(STDOUT_FILENO);
  try {
    act(settings, out);
  } catch (...) {
    // Whatever failed, the lines already divided are still delivered.
    try {
      out.flush();
    } catch (const StreamError&) {
    }
    throw;
  }
  out.flush();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away must end the tool with a status, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    return run(argc, argv);
  } catch (const StreamError& error) {
    // A closed pipe means the reader has all it wanted, as with `| head`: no message.
    if (error.errorNumber != EPIPE)
      printError(error.what + ": " + std::strerror(error.errorNumber));
    return 1;
  } catch (const std::exception& error) {
    printError(error.what());
    return 1;
  }
}
