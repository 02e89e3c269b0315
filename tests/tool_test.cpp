// End-to-end tests of quellix-hyphenate: each test runs the built program, as a user's
// shell would, and compares what it prints with what the library itself computes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/algebra.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/show.hpp"
#include "quellix/text.hpp"
#include "test_support.hpp"

extern char** environ;

namespace {

using quellix::Language;

// ---------------------------------------------------------------------------------------
// Running the tool.

// How the child's standard output is set up.
enum class StdoutKind {
  Pipe,        // captured
  Closed,      // descriptor 1 closed before exec
  BrokenPipe,  // a pipe whose reading end is already closed
};

// How the child's standard error is set up.
enum class StderrKind {
  Pipe,      // captured
  Terminal,  // a pseudo-terminal, captured through its master side
};

struct RunResult {
  bool exited = false;  // ended through exit(), not a signal
  int status = -1;      // the exit status when exited
  std::string out;
  std::string err;
  // The child's largest resident set, from wait4. A child spawned through vfork counts the
  // test's own before exec: compare with a child that does little.
  long peakResidentKiB = -1;
};

// A running quellix-hyphenate with pipes on its standard streams.
class ToolProcess {
 public:
  explicit ToolProcess(const std::vector<std::string>& args,
                       StdoutKind stdoutKind = StdoutKind::Pipe,
                       const char* stdinPath = nullptr,
                       StderrKind stderrKind = StderrKind::Pipe,
                       const char* program = QUELLIX_HYPHENATE) {
    // Writing to a child that has exited must give EPIPE here, not kill the test.
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe2 failed");
    if (stderrKind == StderrKind::Terminal) {
      // The child's standard error is the slave side of a pseudo-terminal; we read the
      // master side. Until the child has its copy, ours keeps the terminal from hanging up.
      close(err[0]);
      close(err[1]);
      err[0] = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (err[0] < 0 || grantpt(err[0]) != 0 || unlockpt(err[0]) != 0 || !ptsname(err[0]))
        throw std::runtime_error("no pseudo-terminal");
      err[1] = open(ptsname(err[0]), O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (err[1] < 0) throw std::runtime_error("cannot open the pseudo-terminal");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinPath != nullptr)
      posix_spawn_file_actions_addopen(&actions, 0, stdinPath, O_RDONLY, 0);
    else
      posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (stdoutKind == StdoutKind::Closed)
      posix_spawn_file_actions_addclose(&actions, 1);
    else
      posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    // The tool must cope with SIGPIPE itself: give it the default action, not the
    // test's SIG_IGN, which exec would otherwise pass on.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> argvStrings{QUELLIX_HYPHENATE};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argvStrings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, program, &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) throw std::runtime_error("posix_spawn failed: " + std::to_string(spawned));
    in_ = in[1];
    // Never block on the tool's input: it may be waiting for us to read its output.
    fcntl(in_, F_SETFL, O_NONBLOCK);
    out_ = out[0];
    err_ = err[0];
    if (stdinPath != nullptr) closeInput();
    if (stdoutKind == StdoutKind::BrokenPipe) {
      close(out_);
      out_ = -1;
    }
  }

  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  ~ToolProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {in_, out_, err_})
      if (fd >= 0) close(fd);
  }

  void closeInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
  }

  // Writes input to the child's standard input while reading both its outputs into
  // result, until all of input is written and result.out holds outputWanted bytes or
  // more, or until the child has closed both outputs. closeWhenWritten then closes
  // standard input, so that the child sees its end.
  void exchange(std::string_view input, std::size_t outputWanted, bool closeWhenWritten,
                RunResult& result) {
    std::size_t written = 0;
    const auto inputDone = [&] { return in_ < 0 || written == input.size(); };
    if (inputDone() && closeWhenWritten) closeInput();
    while ((out_ >= 0 || err_ >= 0) && !(inputDone() && result.out.size() >= outputWanted)) {
      std::vector<pollfd> fds;
      if (!inputDone()) fds.push_back({in_, POLLOUT, 0});
      if (out_ >= 0) fds.push_back({out_, POLLIN, 0});
      if (err_ >= 0) fds.push_back({err_, POLLIN, 0});
      // No timing is asserted: the generous limit only turns a tool that never answers
      // into a failure instead of a hung test run.
      const int ready = poll(fds.data(), fds.size(), 120000);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        ADD_FAILURE() << "no progress with quellix-hyphenate for 120 s";
        return;
      }
      for (const pollfd& p : fds) {
        if (p.revents == 0) continue;
        if (p.fd == in_) {
          const ssize_t n = ::write(in_, input.data() + written, input.size() - written);
          if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
          if (n < 0) {
            closeInput();  // the tool is gone
          } else {
            written += static_cast<std::size_t>(n);
            if (written == input.size() && closeWhenWritten) closeInput();
          }
        } else {
          std::string& sink = p.fd == out_ ? result.out : result.err;
          if (!readSome(p.fd, sink)) {
            close(p.fd);
            (p.fd == out_ ? out_ : err_) = -1;
          }
        }
      }
    }
  }

  // exchange() of the whole input, to the end of the tool's output; then reaps the child.
  RunResult finish(std::string_view input) {
    RunResult result;
    exchange(input, std::string::npos, true, result);
    int status = 0;
    rusage usage{};
    if (wait4(pid_, &status, 0, &usage) == pid_) result.peakResidentKiB = usage.ru_maxrss;
    pid_ = -1;
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : -1;
    return result;
  }

  // The peak resident memory of the running child in KiB (Linux), or -1.
  long peakResidentKiB() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
  }

 private:
  static bool readSome(int fd, std::string& sink) {
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    sink.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int err_ = -1;
};

RunResult runTool(const std::vector<std::string>& args, std::string_view input = {},
                  StdoutKind stdoutKind = StdoutKind::Pipe) {
  ToolProcess process(args, stdoutKind);
  return process.finish(input);
}

// ---------------------------------------------------------------------------------------
// What the library says.

// The line the tool should print for word: the library's pieces of the UTF-8 word (its
// malformed bytes kept as they are) joined by separator.
std::string expectedLine(Language language, std::string_view word,
                         std::string_view separator = "-") {
  const auto pieces = quellix::hyphenate(quellix::languageHyphenator(language), word);
  std::string line;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i != 0) line.append(separator);
    line.append(pieces[i]);
  }
  return line + "\n";
}

std::size_t pieceCount(Language language, std::string_view word) {
  return quellix::hyphenate(quellix::languageHyphenator(language), word).size();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) result.push_back(line);
  return result;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> result;
  std::istringstream stream(line);
  for (std::string field; stream >> field;) result.push_back(field);
  return result;
}

// Where each blank-separated field of line ends.
std::vector<std::size_t> fieldEnds(const std::string& line) {
  std::vector<std::size_t> result;
  for (std::size_t i = 0; i < line.size(); ++i)
    if (line[i] != ' ' && (i + 1 == line.size() || line[i + 1] == ' ')) result.push_back(i + 1);
  return result;
}

// Where each blank-separated field of line starts.
std::vector<std::size_t> fieldStarts(const std::string& line) {
  std::vector<std::size_t> result;
  for (std::size_t i = 0; i < line.size(); ++i)
    if (line[i] != ' ' && (i == 0 || line[i - 1] == ' ')) result.push_back(i);
  return result;
}

// A failure the tool reports on standard error with the given exit status: 2 for a wrong
// command line, 1 for a file that cannot be read or holds what the library refuses.
void expectFailure(const RunResult& result, int status, std::string_view mention) {
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.status, status);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(mention), std::string::npos) << result.err;
  EXPECT_EQ(result.err.rfind("quellix-hyphenate: ", 0), 0u) << result.err;
}

void expectUsageError(const RunResult& result, std::string_view mention) {
  expectFailure(result, 2, mention);
}

// Words of several scripts; every language divides them all (most stay whole).
const std::vector<std::string> kMixedWords{
    "hyphenation", "Associate", "Silbentrennung", "Schifffahrtsgesellschaft",
    "anticonstitutionnellement", "megszentségteleníthetetlenség", "nejneobhospodařovávatelnějšími",
    "źdźbło", "переносить", "электростанция", "υπολογιστής", "Ελληνικά",
    "विभाजन", "हिन्दी", "বাংলাদেশ", "தமிழ்நாடு", "საქართველო", "հայերեն",
    "ኢትዮጵያ", "ภาษาไทย", "", "a"};

// ---------------------------------------------------------------------------------------
// Dividing words.

TEST(ToolWords, EnglishWordsDivideAsTheLibraryKnowsThem) {
  const RunResult result =
      runTool({"associate", "Associate", "computer", "algorithm", "program"});
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "as-so-ciate\nAs-so-ciate\ncom-puter\nal-go-rithm\npro-gram\n");
  EXPECT_EQ(result.err, "");
}

TEST(ToolWords, OtherScriptsMatchTheLibrary) {
  struct Case {
    std::string language;  // as given on the command line
    Language value;
    std::string word;
  };
  const std::vector<Case> cases{
      {"de-1996", Language::German_1996, "Silbentrennung"},
      {"German_1996", Language::German_1996, "Schifffahrtsgesellschaft"},
      {"ru", Language::Russian, "переносить"},
      {"Russian", Language::Russian, "электростанция"},
      {"el-monoton", Language::Greek_Mono, "υπολογιστής"},
      {"hi", Language::Hindi, "विभाजन"},
      {"hu", Language::Hungarian, "megszentségteleníthetetlenség"},
  };
  for (const Case& c : cases) {
    if (!quellix::languageBuiltIn(c.value)) continue;  // this build left it out
    SCOPED_TRACE(c.language + " " + c.word);
    // Only words the library really divides: a word left whole would prove little.
    EXPECT_GT(pieceCount(c.value, c.word), 1u);
    const RunResult result = runTool({"--language", c.language, c.word});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expectedLine(c.value, c.word));
  }
}

TEST(ToolWords, EveryLanguageDividesExactlyAsTheLibrary) {
  std::string input;
  for (const std::string& word : kMixedWords) input += word + "\n";
  std::size_t divided = 0;
  bool all = true;
  for (const Language language : quellix::enumFrom(Language::Afrikaans)) {
    if (!quellix::languageBuiltIn(language)) {  // this build left it out
      all = false;
      continue;
    }
    // Alternate the two ways of naming a language and the two option forms.
    const bool byName = quellix::fromEnum(language) % 2 == 0;
    const std::string name = byName ? quellix::show(language)
                                    : std::string(quellix::languageAffix(language));
    SCOPED_TRACE(name);
    const RunResult result = runTool({"--exact", "--language=" + name}, input);
    EXPECT_EQ(result.status, 0);
    std::string expected;
    for (const std::string& word : kMixedWords) {
      expected += expectedLine(language, word);
      if (pieceCount(language, word) > 1) ++divided;
    }
    EXPECT_EQ(result.out, expected);
    // Word mode divides the words of each line as running text does, with no minimum.
    EXPECT_EQ(runTool({"--language=" + name}, input).out,
              quellix::hyphenateText(quellix::languageHyphenator(language), input,
                                     quellix::TextOptions{.hyphen = "-", .minWordLength = 0}));
  }
  // Sanity of the word list: it exercises real divisions in many languages.
  if (all) {
    EXPECT_GT(divided, 73u);
  }
}

TEST(ToolWords, WordModeDividesEachWordOfALine) {
  QUELLIX_REQUIRE_LANGUAGES(Language::German_1996, Language::Armenian, Language::Greek_Ancient,
                            Language::French);
  struct Row {
    const char* language;
    std::string input;
    std::string expected;
  };
  const Row rows[] = {
      {"de-1996", "WISSENSCHAFT", "WIS-SEN-SCHAFT"},
      {"de-1996", "KUNSTSTOFF", "KUNST-STOFF"},
      {"de-1996", "GESCHICHTE", "GE-SCHICH-TE"},
      {"hy", "\u0535\u0550\u0535\u054E\u0531\u0546", "\u0535-\u0550\u0535-\u054E\u0531\u0546"},
      {"grc", "\u03A0\u039F\u039B\u0399\u03A4\u0395\u0399\u0391",
       "\u03A0\u039F-\u039B\u0399-\u03A4\u0395\u0399-\u0391"},
      {"en-us", "algorithm representative", "al-go-rithm rep-re-sen-ta-tive"},
      {"en-us", "algorithm;x", "al-go-rithm;x"},
      {"en-us", "well-known", "well-known"},
      {"en-us", "\"computer,\" 2 associates' (algorithm)",
       "\"com-puter,\" 2 as-so-ciates' (al-go-rithm)"},
      {"fr", "porte-monnaie", "porte-mon-naie"},
      {"fr", "e\u0301le\u0301mentaire", "e\u0301le\u0301-men-taire"},
      {"fr", "\u00E9le\u0301mentaire", "\u00E9le\u0301-men-taire"},
      {"fr", "\u00E9l\u00E9mentaire", "\u00E9l\u00E9-men-taire"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    EXPECT_EQ(runTool({"--language", row.language, row.input}).out, row.expected + "\n");
    EXPECT_EQ(runTool({"--language", row.language}, row.input + "\n" + row.input).out,
              row.expected + "\n" + row.expected + "\n");
  }
  // --exact keeps the line whole as one word.
  EXPECT_EQ(runTool({"--exact", "algorithm representative", "well-known"}).out,
            expectedLine(Language::English_US, "algorithm representative") +
                expectedLine(Language::English_US, "well-known"));
  expectUsageError(runTool({"--exact", "--text"}), "--exact");
}

// --dictionary: a libhyphen dictionary's words with their changes of spelling, punctuation
// and blanks kept; --text leaves the non-standard breaks out; --list-dictionaries reads the
// directory $QUELLIX_DICTIONARIES names, passing over what is not a regular file (a FIFO
// would block it).
TEST(ToolWords, DictionaryDividesWithChangesOfSpelling) {
  const std::string directory = testing::TempDir() + "quellix-tool-dictionaries";
  ::mkdir(directory.c_str(), 0700);
  const std::string path = directory + "/hyph_hu_XX.dic";
  std::ofstream(path) << "UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n.as3szon/sz=sz,2,3\nn1nyal./ny=ny,1,3\n1ta\n";
  EXPECT_EQ(runTool({"--dictionary", path, "asszonnyal tata", "(Asszonnyal!)"}).out,
            "asz-szony-nyal ta-ta\n(Asz-szony-nyal!)\n");
  EXPECT_EQ(runTool({"--dictionary", path, "--exact"}, "asszonnyal\n").out, "asz-szony-nyal\n");
  EXPECT_EQ(runTool({"--dictionary", path, "--text", "--separator=-", "--min-length=1"},
                    "asszonnyal tata\n").out,
            "asszonnyal ta-ta\n");
  const std::string fifo = directory + "/hyph_fifo.dic", folder = directory + "/hyph_folder.dic";
  ::mkfifo(fifo.c_str(), 0600);
  ::mkdir(folder.c_str(), 0700);
  ::setenv("QUELLIX_DICTIONARIES", directory.c_str(), 1);
  const RunResult listed = runTool({"--list-dictionaries"});
  ::unsetenv("QUELLIX_DICTIONARIES");
  EXPECT_NE(listed.out.find(path + "\thu-XX\tUTF-8\tHungarian\n"), std::string::npos) << listed.out;
  EXPECT_EQ(listed.out.find("hyph_fifo"), std::string::npos) << listed.out;
  EXPECT_EQ(listed.out.find("hyph_folder"), std::string::npos) << listed.out;
  std::remove(fifo.c_str());
  ::rmdir(folder.c_str());
  const RunResult missing = runTool({"--dictionary", directory + "/missing.dic", "x"});
  EXPECT_EQ(missing.status, 1);  // a file that cannot be read
  EXPECT_NE(missing.err.find("missing.dic"), std::string::npos) << missing.err;
  expectUsageError(runTool({"--dictionary", path, "--language", "de", "x"}), "--dictionary and --language");
  std::remove(path.c_str());
}

TEST(ToolWords, SeparatorJoinsThePieces) {
  EXPECT_EQ(runTool({"--separator", "\xC2\xB7", "associate"}).out, "as\xC2\xB7so\xC2\xB7" "ciate\n");
  EXPECT_EQ(runTool({"--separator=<->", "computer"}).out, "com<->puter\n");
  EXPECT_EQ(runTool({"--separator=", "associate"}).out, "associate\n");
  // The last of repeated options counts, also for the language.
  EXPECT_EQ(runTool({"--separator=+", "--separator=/", "algorithm"}).out, "al/go/rithm\n");
  EXPECT_EQ(runTool({"--language", "ru", "--language=en-us", "program"}).out, "pro-gram\n");
}

TEST(ToolWords, DoubleDashEndsTheOptions) {
  const RunResult result = runTool({"--", "--help", "-", "associate"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expectedLine(Language::English_US, "--help") +
                            expectedLine(Language::English_US, "-") + "as-so-ciate\n");
  // A lone "-" is a word even before "--".
  EXPECT_EQ(runTool({"-"}).out, "-\n");
}

// ---------------------------------------------------------------------------------------
// Standard input.

TEST(ToolInput, EveryLineIsOneWord) {
  EXPECT_EQ(runTool({}, "associate\n\ncomputer\n").out, "as-so-ciate\n\ncom-puter\n");
  // A final line without a line feed still counts.
  EXPECT_EQ(runTool({}, "associate\nalgorithm").out, "as-so-ciate\nal-go-rithm\n");
  EXPECT_EQ(runTool({}, "\n\n").out, "\n\n");
  EXPECT_EQ(runTool({}, "").out, "");
  EXPECT_EQ(runTool({"--separator", "|"}, "\nprogram\n\n").out, "\npro|gram\n\n");
}

TEST(ToolInput, CarriageReturnEndsTheLine) {
  // In word mode it is a separator like the blanks around it; with --exact a line's final
  // carriage return belongs to the line ending, others to the word.
  EXPECT_EQ(runTool({}, "associate\r\ntable \r\n computer\r").out,
            "as-so-ciate\r\nta-ble \r\n com-puter\r\n");
  EXPECT_EQ(runTool({"--exact"}, "associate\r\ncomputer\r\n\r\nas\rsociate\n").out,
            "as-so-ciate\r\ncom-puter\r\n\r\n" +
                expectedLine(Language::English_US, "as\rsociate"));
}

TEST(ToolInput, LinesLongerThanOneReadAreWhole) {
  // Words straddling the tool's read buffers must come out whole and in order.
  std::string input;
  std::string expected;
  const std::string longWord(100000, 'a');
  for (int i = 0; i < 3; ++i) {
    input += longWord + "\nassociate\n";
    expected += expectedLine(Language::English_US, longWord) + "as-so-ciate\n";
  }
  const RunResult result = runTool({}, input);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected);
}

TEST(ToolInput, AnswersEachLineBeforeTheInputEnds) {
  ToolProcess process({"--language", "en-us"});
  RunResult first;
  process.exchange("associate\n", 12, false, first);
  EXPECT_EQ(first.out, "as-so-ciate\n");
  RunResult second;
  process.exchange("computer\n", 10, false, second);
  EXPECT_EQ(second.out, "com-puter\n");
  const RunResult rest = process.finish({});
  EXPECT_EQ(rest.status, 0);
  EXPECT_EQ(rest.out, "");
}

#if defined(__SANITIZE_ADDRESS__)
#define QUELLIX_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUELLIX_TEST_UNDER_ASAN 1
#endif
#endif

TEST(ToolInput, MemoryDoesNotGrowWithTheNumberOfLines) {
#ifdef QUELLIX_TEST_UNDER_ASAN
  GTEST_SKIP() << "AddressSanitizer quarantines freed memory, so the tool's RSS grows anyway";
#endif
  ToolProcess process({});
  const auto feed = [&process](int lineCount) {
    std::string input;
    for (int i = 0; i < lineCount; ++i) input += "associate\n";
    RunResult result;
    process.exchange(input, input.size() + 2 * static_cast<std::size_t>(lineCount), false,
                     result);
    EXPECT_EQ(result.out.size(), input.size() + 2 * static_cast<std::size_t>(lineCount));
    return process.peakResidentKiB();
  };
  const long afterFew = feed(1000);
  if (afterFew < 0) GTEST_SKIP() << "no /proc/PID/status here";
  // 3 MB more input: kept in memory as lines or as output, it would cost far more.
  const long afterMany = feed(300000);
  EXPECT_LT(afterMany - afterFew, 1024) << afterFew << " KiB after 1000 lines, " << afterMany
                                        << " KiB after 301000";
  EXPECT_EQ(process.finish({}).status, 0);
}

TEST(ToolInput, ReadFailureIsReported) {
  ToolProcess process({}, StdoutKind::Pipe, "/");  // reading a directory fails
  const RunResult result = process.finish({});
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("cannot read standard input"), std::string::npos) << result.err;
}

// ---------------------------------------------------------------------------------------
// Bytes that are not UTF-8.

TEST(ToolMalformedInput, BytesPassThroughUnchanged) {
  // A lone continuation byte, a truncated sequence, an overlong form, an encoded
  // surrogate, a value above U+10FFFF and bytes that never occur in UTF-8, amid words
  // long enough to be divided around them.
  std::vector<std::string> words{
      "asso\x80" "ciate", "com\xE2\x82puter", "algo\xC0\xAFrithm", "hyphen\xED\xA0\x80" "ation",
      "pro\xF4\x90\x80\x80gram", "\xFE\xFF" "associate", "associate\xC3", "\xE9t\xE9",
      "Sil\xC3\xA9" "bentrennung\xA9", "a\xE2\xC3\xA9ssociate", "ab\xF0\x9F\x98",
      "\xF8\x88\x80\x80\x80" "algorithm", "\xE0\x9F\xBF" "computer"};
  // Every byte that is not ASCII, alone inside a word.
  for (int b = 0x80; b <= 0xFF; ++b) words.push_back("asso" + std::string(1, static_cast<char>(b)) + "ciate");
  std::string input;
  std::string expected;
  for (const std::string& word : words) {
    input += word + "\n";
    expected += expectedLine(Language::English_US, word, "|");
  }
  const RunResult result = runTool({"--exact", "--separator", "|"}, input);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected);
  // In word mode too, taking the separators out gives back the input byte for byte.
  const RunResult wordMode = runTool({"--separator", "|"}, input);
  EXPECT_EQ(wordMode.out, quellix::hyphenateText(quellix::english_US, input,
                                              quellix::TextOptions{.hyphen = "|", .minWordLength = 0}));
  std::string unseparated;
  for (char c : wordMode.out)
    if (c != '|') unseparated.push_back(c);
  EXPECT_EQ(unseparated, input);
  // Taking the separators out gives back the input byte for byte.
  std::string joined;
  for (char c : result.out)
    if (c != '|') joined.push_back(c);
  EXPECT_EQ(joined, input);
  // ... and the words were divided, not just copied.
  EXPECT_NE(result.out.find("as|so"), std::string::npos) << result.out;
  // The same on the command line.
  EXPECT_EQ(runTool({"--exact", "--separator", "|", words[0], words[7]}).out,
            expectedLine(Language::English_US, words[0], "|") +
                expectedLine(Language::English_US, words[7], "|"));
}

// ---------------------------------------------------------------------------------------
// Running text.

// A file under the test's temporary directory, removed again at the end of the test.
class TempFile {
 public:
  explicit TempFile(std::string_view contents) {
    path_ = ::testing::TempDir() + "quellix_tool_XXXXXX";
    const int fd = mkstemp(path_.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    std::size_t done = 0;
    while (done < contents.size()) {
      const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
      if (n <= 0) throw std::runtime_error("cannot write " + path_);
      done += static_cast<std::size_t>(n);
    }
    close(fd);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string libraryText(std::string_view text, quellix::TextOptions options = {},
                        Language language = Language::English_US) {
  return quellix::hyphenateText(quellix::languageHyphenator(language), text, options);
}

const std::string kProse =
    "Hyphenation of running text: the associate professor computed algorithms,\n"
    "see www.hyphenation.example or write to associate@computer.example.\r\n"
    "\tAlready hy\u00ADphen\u00ADated words stay; broken \xC3 bytes stay.\n";

TEST(ToolText, HyphenatesStandardInputAsTheLibraryDoes) {
  const RunResult result = runTool({"--text"}, kProse);
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, libraryText(kProse));
  EXPECT_NE(result.out.find("Hy\u00ADphen\u00ADation of run\u00ADning"), std::string::npos);
  // The options of the library, from the command line.
  EXPECT_EQ(runTool({"--text", "--separator", "|", "--min-length=8"}, kProse).out,
            libraryText(kProse, {.hyphen = "|", .minWordLength = 8}));
  const std::string german = "Die Silbentrennung gro\xC3\x9F" "er Wörterbücher.";
  EXPECT_EQ(runTool({"--text", "--language", "de-1996", "--separator=-"}, german).out,
            libraryText(german, {.hyphen = "-"}, Language::German_1996));
  EXPECT_EQ(runTool({"--text"}, "").out, "");
}

TEST(ToolText, HtmlModeLeavesTheMarkup) {
  const std::string page =
      "<!DOCTYPE html>\n<html><head><title>Hyphenation</title>\n"
      "<style>p.hyphenation { color: red }</style></head>\n"
      "<body><p class=\"hyphenation\">Hyphenation &amp; justification of <b>paragraphs</b>.</p>\n"
      "<!-- comment about hyphenation -->\n<pre>unhyphenated computation</pre>\n"
      "<script>var hyphenation = \"</p>\";</script></body></html>\n";
  const RunResult result = runTool({"--html", "--separator", "|"}, page);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, quellix::hyphenateHtml(quellix::english_US, page, {.hyphen = "|"}));
  EXPECT_NE(result.out.find("<p class=\"hyphenation\">Hy|phen|ation &amp; jus|ti|fi|ca|tion"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("<pre>unhyphenated computation</pre>"), std::string::npos);
  // The two modes exclude each other.
  expectUsageError(runTool({"--text", "--html"}, page), "--text and --html");
}

TEST(ToolText, HtmlFollowsLangUnlessTold) {
  const std::string page =
      "<html lang=de><p>Rechtschreibung</p><p lang=fr>dictionnaire</p><p lang=xx>dictionnaire"
      "</p></html>\n";
  const RunResult result = runTool({"--html", "--separator", "|"}, page);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "<html lang=de><p>Recht|schrei|bung</p><p lang=fr>dic|tion|naire</p>"
                        "<p lang=xx>dictionnaire</p></html>\n");
  const RunResult ignoring = runTool({"--html", "--ignore-lang", "-s", "|", "-l", "de"}, page);
  EXPECT_EQ(ignoring.status, 0);
  EXPECT_EQ(ignoring.out, quellix::hyphenateHtml(quellix::german_1996, page,
                                                 {.hyphen = "|", .followLang = false}));
  EXPECT_NE(ignoring.out.find(">dic|tion|nai|re</p><p lang=xx>dic|tion|nai|re"), std::string::npos)
      << ignoring.out;
}

// A lang value that names no language here leaves its text undivided, with one warning per
// value, escaped; one naming a language this build leaves out is no failure.
TEST(ToolText, LangValuesThatNameNoLanguageAreWarnedOfOnce) {
  std::string missing;
  for (const Language language : quellix::enumFrom(Language::Afrikaans))
    if (!quellix::languageBuiltIn(language) && missing.empty()) missing = quellix::languageAffix(language);
  const std::string page = "<p>hyphenation</p><p lang=xx>hyphenation</p><p lang=\" xx\">a</p>"
                           "<p lang=\"\x1b]0;x\a\">a</p><p lang=\"" + missing + "\">hyphenation</p>";
  const RunResult result = runTool({"--html", "--separator", "|"}, page);
  EXPECT_EQ(result.status, 0);
  std::string expected = page;
  expected.replace(3, 11, "hy|phen|ation");
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.err,
            "quellix-hyphenate: warning: lang='xx' names no language quellix has: its text is "
            "left undivided\n"
            "quellix-hyphenate: warning: lang='\\x1b]0;x\\x07' names no language quellix has: its "
            "text is left undivided\n" +
                (missing.empty() ? std::string()
                                 : "quellix-hyphenate: warning: lang='" + missing + "' names " +
                                       std::string(quellix::languageName(*quellix::findLanguage(missing))) +
                                       ", which this build of quellix leaves out: its text is left "
                                       "undivided\n"));
}

// Letters a language's list forgets belong to the words of running text and of word mode,
// in small letters for the patterns; --exact keeps the language's own normaliser.
TEST(ToolText, LettersTheListsForgetBelongToTheWord) {
  QUELLIX_REQUIRE_LANGUAGES(Language::Catalan, Language::Turkish, Language::Uppersorbian);
  const struct {
    std::string language, words, expected, exact;
  } cases[] = {
      {"ca", "walkman Kleenex", "walk-man Klee-nex", "walk-man Kle-e-nex"},
      {"tr", "kuwaitli", "ku-wa-it-li", "ku-wa-it-li"},
      {"hsb", "vokabular", "vo-ka-bu-lar", "vo-ka-bu-lar"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(runTool({"-l", c.language, c.words}).out, c.expected + "\n");
    EXPECT_EQ(runTool({"--text", "-s", "-", "-l", c.language}, c.words + "\n").out, c.expected + "\n");
    // --exact: one word a line, divided as the word API divides it.
    std::string words = c.words, exact = c.exact;
    std::replace(words.begin(), words.end(), ' ', '\n');
    std::replace(exact.begin(), exact.end(), ' ', '\n');
    EXPECT_EQ(runTool({"--exact", "-l", c.language}, words + "\n").out, exact + "\n");
  }
}

TEST(ToolText, FilesAreReadInOrderAndEachIsOneText) {
  // The first file ends inside a word: that word is not joined with the next file's start.
  const TempFile first("Hyphenation of running text, hyphen");
  const TempFile second("ation and more hyphenation\n");
  const RunResult result = runTool({"--text", "--separator=|", first.path(), "-", second.path()},
                                   "computer ");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, libraryText("Hyphenation of running text, hyphen", {.hyphen = "|"}) +
                            libraryText("computer ", {.hyphen = "|"}) +
                            libraryText("ation and more hyphenation\n", {.hyphen = "|"}));
  // A file that cannot be opened is reported; the others are still done; status 1.
  const RunResult missing =
      runTool({"--text", first.path(), "/nonexistent/quellix.txt", second.path()});
  EXPECT_TRUE(missing.exited);
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, libraryText("Hyphenation of running text, hyphen") +
                             libraryText("ation and more hyphenation\n"));
  EXPECT_NE(missing.err.find("cannot open '/nonexistent/quellix.txt': No such file or directory"),
            std::string::npos)
      << missing.err;
  // A directory opens but cannot be read.
  const RunResult directory = runTool({"--text", "/"});
  EXPECT_EQ(directory.status, 1);
  EXPECT_NE(directory.err.find("cannot read '/'"), std::string::npos) << directory.err;
}

TEST(ToolText, WordsAcrossReadsAreWhole) {
  // Far more than one read: words and multi-byte characters straddle the reads.
  std::string text;
  for (int i = 0; text.size() < 400000; ++i)
    text += i % 7 == 0 ? "Größenverhältnisse " : i % 3 == 0 ? "hyphenation\n" : "associate, ";
  const TempFile file(text);
  const RunResult result = runTool({"--text", "--language=de-1996", file.path()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, libraryText(text, {}, Language::German_1996));
}

TEST(ToolText, JobsWriteWhatOneThreadWrites) {
  // Several blocks of 2 MiB for two threads; HTML with tags, comments, scripts, references
  // and languages spread through it, so that the cuts fall everywhere.
  std::string page = "<html lang=en><body>\n";
  for (int i = 0; page.size() < (std::size_t{9} << 20); ++i) {
    page += i % 11 == 0   ? "<p lang=de-1996>Gr\u00F6\u00DFenverh\u00E4ltnisse und Silbentrennung</p>\n"
            : i % 7 == 0  ? "<!-- hyphenation in a comment, unchanged --> "
            : i % 5 == 0  ? "<script>if (a < b) { hyphenation(); }</script>"
            : i % 3 == 0  ? "inter&#x6E;ational caf&eacute; hy&shy;phen&shy;ation "
                          : "associate professors computed hyphenation algorithms, ";
  }
  const TempFile file(page);
  const RunResult one = runTool({"--html", "--separator=|", file.path()});
  ASSERT_EQ(one.status, 0);
  ASSERT_EQ(one.out, quellix::hyphenateHtml(quellix::english_US, page, {.hyphen = "|"}));
  for (const char* jobs : {"2", "3"}) {
    const RunResult many = runTool({"--html", "--separator=|", "--jobs", jobs, file.path()});
    EXPECT_EQ(many.status, 0) << many.err;
    EXPECT_TRUE(many.out == one.out) << jobs << " jobs";
  }
  const RunResult plain = runTool({"--text", "-j", "2", "-", file.path()}, page);
  EXPECT_EQ(plain.status, 0);
  EXPECT_TRUE(plain.out == quellix::hyphenateText(quellix::english_US, page) +
                               quellix::hyphenateText(quellix::english_US, page));
  // Many threads for a small input cost nothing: blocks grow with what is read (the tool
  // once set aside 4 MiB a thread before reading, 4 GiB for 1,024).
  const RunResult tiny = runTool({"--text", "--jobs", "1024"}, "hyphenation\n");
  const RunResult little = runTool({"--text"}, "hyphenation\n");
  EXPECT_EQ(tiny.status, 0) << tiny.err;
  EXPECT_EQ(tiny.out, "hy\u00ADphen\u00ADation\n");
  ASSERT_GT(little.peakResidentKiB, 0);
  EXPECT_LT(tiny.peakResidentKiB, little.peakResidentKiB + 64 * 1024)
      << "KiB resident for one word on 1,024 threads, against one thread";
  expectUsageError(runTool({"--text", "--jobs", "0"}), "'0'");
  expectUsageError(runTool({"--text", "--jobs=many"}), "'many'");
  expectUsageError(runTool({"--jobs", "2", "associate"}), "--jobs");
}

TEST(ToolText, JobsCutPlainTextWhereNothingIsHeld) {
  // Each ASCII white space is followed by a combining mark, a multi-byte letter, a soft
  // hyphen, a multi-byte space or more white space, so wherever the threads' blocks are
  // cut, the next block starts with one of them. A token longer than a block sends the
  // rest to one thread.
  const char* const units[] = {"\u0301combining hyphe\u0301nation \t\u00E9tymologie ",
                               "\u00E9t\u00E9 associate\r\n\u00C9lectricit\u00E9\n",
                               "\u00ADhyphenation \u00ADalgorithms\n ",
                               "\u2009programmers \u2009computer "};
  std::string text;
  for (std::size_t i = 0; text.size() < (std::size_t{3} << 19); ++i) {
    text += units[i % 4];
    for (; i == 20000 && text.size() < (std::size_t{1100} << 10);) text += "hyphenationassociate";
  }
  text += "hyphenation";  // the last block ends inside a word
  const std::string expected = libraryText(text, {.hyphen = "|"});
  const TempFile file(text);
  for (const char* jobs : {"2", "5"}) {
    const RunResult fromFile = runTool({"--text", "-s", "|", "--jobs", jobs, file.path()});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_TRUE(fromFile.out == expected) << jobs << " jobs, from a file";
    // A pipe, then the file again: each input starts on all threads afresh.
    const RunResult fromPipe = runTool({"--text", "-s", "|", "--jobs", jobs, "-", file.path()}, text);
    EXPECT_EQ(fromPipe.status, 0) << fromPipe.err;
    EXPECT_TRUE(fromPipe.out == expected + expected) << jobs << " jobs, from a pipe and a file";
  }
  // Errors as on one thread: a read error is reported, a write error once.
  const RunResult directory = runTool({"--text", "--jobs", "2", "/"});
  EXPECT_EQ(directory.status, 1);
  EXPECT_NE(directory.err.find("cannot read '/'"), std::string::npos) << directory.err;
  const RunResult closed = runTool({"--text", "--jobs", "2", file.path()}, {}, StdoutKind::Closed);
  EXPECT_TRUE(closed.exited);
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.err, "quellix-hyphenate: cannot write to standard output: Bad file descriptor\n");
}

TEST(ToolText, AnswersEachLineBeforeTheInputEnds) {
  ToolProcess process({"--text", "--separator=-"});
  RunResult first;
  process.exchange("associate computer\n", 22, false, first);
  EXPECT_EQ(first.out, "as-so-ciate com-puter\n");
  RunResult second;
  process.exchange("algorithm ", 12, false, second);
  EXPECT_EQ(second.out, "al-go-rithm ");
  EXPECT_EQ(process.finish({}).status, 0);
}

TEST(ToolText, MemoryStaysBoundedEvenForAnEndlessWord) {
  // Running text, and word mode, which streams its lines the same way.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--text"},
                                               std::vector<std::string>{}}) {
    SCOPED_TRACE(args.empty() ? "word mode" : "--text");
    ToolProcess process(args);
    const auto feed = [&process](const std::string& input) {
      RunResult result;
      // All but the last held bytes come back before the input ends.
      process.exchange(input, input.size() - quellix::kMaxHeldBytes - 16, false, result);
      EXPECT_GE(result.out.size(), input.size() - quellix::kMaxHeldBytes - 16);
      return process.peakResidentKiB();
    };
    std::string prose;
    while (prose.size() < 100000) prose += "associate computer ";
    const long afterProse = feed(prose);
    if (afterProse < 0) GTEST_SKIP() << "no /proc/PID/status here";
    // A word (and line) of 4 MB, divided window by window: held whole, it would cost
    // megabytes.
    std::string endless;
    while (endless.size() < 4000000) endless += "hyphenation";
    const long afterWord = feed(endless);
    EXPECT_LT(afterWord - afterProse, 1024)
        << afterProse << " KiB before the word, " << afterWord << " KiB after";
    const RunResult rest = process.finish({});
    EXPECT_EQ(rest.status, 0);
  }
}

TEST(ToolInput, RunningOutOfMemoryIsToldByLine) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizer runtimes need more address space than the limit leaves";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
  GTEST_SKIP() << "sanitizer runtimes need more address space than the limit leaves";
#endif
#endif
  // --exact holds a line whole; under a 150 MB address-space limit a 160 MB line cannot be.
  std::string input = "associate\ncomputer\n";
  input += std::string(160u << 20, 'a');
  ToolProcess process({"-c", "ulimit -v 150000 && exec \"$0\" --exact", QUELLIX_HYPHENATE},
                      StdoutKind::Pipe, nullptr, StderrKind::Pipe, "/bin/sh");
  const RunResult result = process.finish(input);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("out of memory while reading line 3"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "as-so-ciate\ncom-puter\n");
}

TEST(ToolText, ProgressOnlyOnATerminal) {
  // 1.5 MB (1.4 MiB), more than the mebibyte from which progress is shown.
  std::string text;
  while (text.size() < 1500000) text += "Hyphenation of running text. ";
  const TempFile file(text);
  const std::string expected = libraryText(text);
  {
    ToolProcess process({"--text", file.path()}, StdoutKind::Pipe, nullptr, StderrKind::Terminal);
    const RunResult result = process.finish({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected);
    // Drawn over itself with carriage returns, and erased at the end.
    EXPECT_NE(result.err.find("\rquellix-hyphenate: " + file.path() + " "), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(" of 1.4 MiB ("), std::string::npos) << result.err;
    ASSERT_GE(result.err.size(), 2u);
    EXPECT_EQ(result.err.substr(result.err.size() - 2), " \r") << result.err;
    EXPECT_EQ(result.err.find('\n'), std::string::npos) << result.err;
  }
  // Not a terminal: nothing on standard error.
  const RunResult piped = runTool({"--text", file.path()});
  EXPECT_EQ(piped.out, expected);
  EXPECT_EQ(piped.err, "");
  // A file name reaches the terminal escaped, as in every message: no escape sequence of
  // a hostile name is run there.
  const std::string hostile = ::testing::TempDir() + "evil\x1B]0;pwned\a\x1B[2J\xE2\x80\xAE.txt";
  ASSERT_EQ(symlink(file.path().c_str(), hostile.c_str()), 0);
  ToolProcess process({"--text", hostile}, StdoutKind::Pipe, nullptr, StderrKind::Terminal);
  const RunResult result = process.finish({});
  unlink(hostile.c_str());
  EXPECT_EQ(result.out, expected);
  EXPECT_NE(result.err.find("evil\\x1b]0;pwned\\x07\\x1b[2J\\xe2\\x80\\xae.txt "),
            std::string::npos) << result.err;
  EXPECT_EQ(result.err.find_first_of("\x1B\a"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("\xE2\x80\xAE"), std::string::npos) << result.err;
}

TEST(ToolText, MinLengthAlsoAppliesToWords) {
  EXPECT_EQ(runTool({"--min-length", "10", "associate", "hyphenation"}).out,
            "associate\n" + expectedLine(Language::English_US, "hyphenation"));
  EXPECT_EQ(runTool({"--min-length=0", "associate"}).out, "as-so-ciate\n");
}

TEST(ToolText, WrongTextOptionsAreNamed) {
  expectUsageError(runTool({"--text", "--min-length", "many"}), "'many'");
  expectUsageError(runTool({"--text", "--min-length=-3"}), "'-3'");
  expectUsageError(runTool({"--text", "--min-length"}), "--min-length");
  expectUsageError(runTool({"--text=yes"}), "--text");
  expectUsageError(runTool({"--text", "--list"}), "--list");
  expectUsageError(runTool({"--licence", "en-us", "--html"}), "--html");
}

// ---------------------------------------------------------------------------------------
// The other modes.

TEST(ToolList, PrintsEveryLanguageAligned) {
  const RunResult result = runTool({"--list"});
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> rows = lines(result.out);
  ASSERT_EQ(rows.size(), 73u);
  const std::vector<std::size_t> starts = fieldStarts(rows[0]);
  const std::vector<std::size_t> ends = fieldEnds(rows[0]);
  ASSERT_GE(starts.size(), 5u);
  for (const Language language : quellix::enumFrom(Language::Afrikaans)) {
    const auto number = quellix::fromEnum(language);
    const std::string& row = rows[static_cast<std::size_t>(number)];
    SCOPED_TRACE(row);
    const quellix::Hyphenator& h = quellix::languageHyphenator(language);
    std::vector<std::string> expected{
        std::to_string(number), quellix::show(language),
        std::string(quellix::languageAffix(language)),
        std::to_string(quellix::hyphenatorLeftMin(h)),
        std::to_string(quellix::hyphenatorRightMin(h))};
    const std::vector<std::string> rowFields = fields(row);
    ASSERT_GE(rowFields.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(rowFields.begin(), rowFields.begin() + 5), expected);
    // A language the build left out is listed all the same, and marked.
    EXPECT_EQ(row.find("(not built in)") != std::string::npos, !quellix::languageBuiltIn(language));
    // Numbers end in one column; names, affixes and margins start in one column each.
    EXPECT_EQ(fieldEnds(row)[0], ends[0]);
    const std::vector<std::size_t> rowStarts = fieldStarts(row);
    EXPECT_EQ(std::vector<std::size_t>(rowStarts.begin() + 1, rowStarts.begin() + 5),
              std::vector<std::size_t>(starts.begin() + 1, starts.begin() + 5));
  }
  if (quellix::languageBuiltIn(Language::English_US)) {
    EXPECT_EQ(fields(rows[13]),
              (std::vector<std::string>{"13", "English_US", "en-us", "2", "3", "also", "en"}));
  }
  if (quellix::languageBuiltIn(Language::Ethiopic)) {
    EXPECT_EQ(fields(rows[17]), (std::vector<std::string>{"17", "Ethiopic", "mul-ethi", "1", "1",
                                                          "also", "am,", "ti,", "gez,", "mul"}));
  }

  const std::vector<std::string> tsv = lines(runTool({"--list", "--format", "tsv"}).out);
  ASSERT_EQ(tsv.size(), 74u);
  EXPECT_EQ(tsv[0], "number\tname\taffix\tleft\tright\tbuilt in");
  EXPECT_EQ(tsv[14], std::string("13\tEnglish_US\ten-us\t2\t3\t") +
                        (quellix::languageBuiltIn(Language::English_US) ? "yes" : "no"));
  expectUsageError(runTool({"--list", "--format", "csv"}), "'csv'");
  expectUsageError(runTool({"--format", "tsv", "associate"}), "--format");
}

// --exceptions, --patterns, --left and --right, and the files they read.
TEST(ToolOwnData, ExceptionsPatternsAndMarginsApplyBeforeAnythingIsDivided) {
  const TempFile exceptions("# house words\nquel-lix\nasso-ciate\n");
  const TempFile more("hyphena-tion\n");
  const TempFile patterns("1b\n");
  const TempFile notUtf8("ok\nbad\xC3(\n");
  const struct {
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {{"--exceptions", exceptions.path(), "QUELLIX associate table"}, "QUEL-LIX asso-ciate ta-ble\n"},
      {{"--exceptions", exceptions.path(), "--exceptions", more.path(), "hyphenation associate"},
       "hyphena-tion asso-ciate\n"},
      {{"--patterns", patterns.path(), "abbabba associate"}, "ab-ba-bba as-so-ciate\n"},
      {{"--left", "4", "--right", "4", "hyphenation"}, "hyphen-ation\n"},
      {{"--left=1", "hyphenation"}, "hy-phen-ation\n"},
      {{"--exact", "--exceptions", exceptions.path(), "Quellix"}, "Quel-lix\n"},
  };
  for (const auto& c : cases) {
    const RunResult result = runTool(c.args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, c.expected) << c.args.back();
  }
  // Files that cannot be read or hold what the library refuses fail as reads do: status 1.
  expectFailure(runTool({"--exceptions", notUtf8.path(), "associate"}), 1,
                notUtf8.path() + ": not UTF-8 at line 2, byte offset 6");
  expectFailure(runTool({"--patterns", "/nonexistent/p.tex", "associate"}), 1,
                "cannot open '/nonexistent/p.tex'");
  expectFailure(runTool({"--exceptions", "/nonexistent/e.txt", "associate"}), 1,
                "cannot open '/nonexistent/e.txt'");
  expectFailure(runTool({"--exceptions", "/", "associate"}), 1, "cannot read '/'");
  // Pattern files as TeX and other editors write them; files that never end stop at the
  // line limit.
  for (const std::string_view text : {"1b\r\n", "\xEF\xBB\xBF" "1b\n", "1q 1b %x\n"}) {
    const TempFile written{std::string(text)};
    EXPECT_EQ(runTool({"--patterns", written.path(), "abbabba"}).out, "ab-ba-bba\n") << text;
  }
  for (const std::string option : {"--patterns", "--exceptions"})
    expectFailure(runTool({option, "/dev/zero", "associate"}), 1,
                  "/dev/zero: line 1 is longer than 4096 bytes");
  expectUsageError(runTool({"--left", "x", "associate"}), "--left");
}

TEST(ToolLicence, PrintsTheEmbeddedText) {
  for (const std::string& name : {std::string("en-us"), std::string("German_1996")}) {
    SCOPED_TRACE(name);
    const Language language = *quellix::languageFromName(name);
    if (!quellix::languageBuiltIn(language)) continue;  // this build left it out
    const RunResult result = runTool({"--licence", name});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, quellix::languageLicence(language));
    EXPECT_GT(result.out.size(), 100u);
  }
  if (quellix::languageBuiltIn(Language::Russian)) {
    EXPECT_EQ(runTool({"--licence=ru"}).out, quellix::languageLicence(Language::Russian));
  } else {
    // A language the build left out has no licence text to print: a data failure.
    const RunResult result = runTool({"--licence=ru"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Could not find hyph-ru.lic.txt.gz"), std::string::npos) << result.err;
  }
}

// Without a language: quellix's own licence, then every language with the licence its
// notice states, marked where this build left it out.
TEST(ToolLicence, AloneShowsQuellixsOwnAndEachLanguagesStatedLicence) {
  const RunResult result = runTool({"--licence"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.rfind("quellix " QUELLIX_TEST_PROJECT_VERSION " is under the MIT licence:\n\n"
                             "MIT License\n",
                             0),
            0u)
      << result.out;
  EXPECT_NE(result.out.find("THE SOFTWARE IS PROVIDED \"AS IS\""), std::string::npos);
  const std::vector<std::string> all = lines(result.out);
  for (const Language language : quellix::enumFrom(quellix::languageMinBound)) {
    const std::string affix(quellix::languageAffix(language));
    const auto row = std::find_if(all.begin(), all.end(), [&](const std::string& line) {
      return line.rfind(affix + "  ", 0) == 0;
    });
    ASSERT_NE(row, all.end()) << affix;
    EXPECT_EQ(row->ends_with(" (not built in)"), !quellix::languageBuiltIn(language)) << *row;
  }
  EXPECT_NE(result.out.find("LaTeX Project Public License, version 1 or any later version\n"),
            std::string::npos);
  EXPECT_EQ(runTool({"--license"}).out, result.out);
  // An option after it is not taken for a language; an empty one names none.
  expectUsageError(runTool({"--licence", "--list"}), "--list");
  expectUsageError(runTool({"--licence="}), "unknown language ''");
}

TEST(ToolVersion, PrintsTheProjectVersion) {
  const RunResult result = runTool({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "quellix-hyphenate " QUELLIX_TEST_PROJECT_VERSION "\n");
  EXPECT_EQ(result.err, "");
}

TEST(ToolHelp, ShowsEveryOptionAndAnExample) {
  const RunResult result = runTool({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  for (const char* option : {"--language NAME", "--separator SEP", "--text", "--html", "--ignore-lang",
                             "--min-length N", "--list", "--licence [LANGUAGE]", "--version",
                             "--help", "--exact", "WORD...", "FILE..."})
    EXPECT_NE(result.out.find(option), std::string::npos) << option;
  // The examples' answers are the ones the tool really gives.
  EXPECT_NE(result.out.find("$ quellix-hyphenate associate 'well-known computer'\n  as-so-ciate\n"
                            "  well-known com-puter\n"),
            std::string::npos)
      << result.out;
  const std::string german = "--separator '|'\n  " +
                             expectedLine(Language::German_1996, "Silbentrennung", "|");
  EXPECT_NE(result.out.find(german), std::string::npos) << german;
  const std::string shortWords = "--min-length 10 associate hyphenation\n  associate\n  " +
                                 expectedLine(Language::English_US, "hyphenation");
  EXPECT_NE(result.out.find(shortWords), std::string::npos) << shortWords;
  const std::string text = "--text --separator -\n  " +
                           quellix::hyphenateText(quellix::english_US, "Hyphenation of running text.",
                                                  quellix::TextOptions{.hyphen = "-"});
  EXPECT_NE(result.out.find(text), std::string::npos) << text;
  const std::string page = "--html --separator '&shy;'\n  " +
                           quellix::hyphenateHtml(quellix::english_US, "<em>Hyphenation</em>",
                                                  quellix::TextOptions{.hyphen = "&shy;"});
  EXPECT_NE(result.out.find(page), std::string::npos) << page;
  // --help wins over everything else on a valid command line.
  EXPECT_EQ(runTool({"--list", "--help"}).out, result.out);
  EXPECT_EQ(runTool({"associate", "--help"}).out, result.out);
}

// ---------------------------------------------------------------------------------------
// Errors.

TEST(ToolOptions, ShortFormsTagsAndLicenseSpelling) {
  QUELLIX_REQUIRE_LANGUAGES(Language::German_1996, Language::Portuguese, Language::French);
  const struct {
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {{"-l", "de_DE.UTF-8", "Silbentrennung"}, "Sil-ben-tren-nung\n"},
      {{"-lde-AT", "-s|", "Silbentrennung"}, "Sil|ben|tren|nung\n"},
      {{"--language", "EN-us", "associate"}, "as-so-ciate\n"},
      {{"--language", "pt-BR", "-s", "|", "computador"}, "com|pu|ta|dor\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(runTool(c.args).out, c.expected) << c.args[1];
  EXPECT_EQ(runTool({"-V"}).out, runTool({"--version"}).out);
  EXPECT_EQ(runTool({"-h"}).out, runTool({"--help"}).out);
  EXPECT_EQ(runTool({"--license", "fr"}).out, quellix::languageLicence(Language::French));
}

TEST(ToolErrors, EchoedTextIsEscapedAndCut) {
  // A terminal escape sequence, a C1 control and a malformed byte come out as \xHH.
  const RunResult escaped = runTool({"--language", "x\x1B[31mred\xC2\x9B\xFF", "a"});
  EXPECT_EQ(escaped.status, 2);
  EXPECT_NE(escaped.err.find("'x\\x1b[31mred\\xc2\\x9b\\xff'"), std::string::npos) << escaped.err;
  EXPECT_EQ(escaped.err.find('\x1B'), std::string::npos);
  // A huge name is cut; its length is told instead.
  const RunResult huge = runTool({"--language", std::string(100000, 'y'), "a"});
  EXPECT_EQ(huge.status, 2);
  EXPECT_LT(huge.err.size(), 500u);
  EXPECT_NE(huge.err.find("(100000 bytes)"), std::string::npos) << huge.err;
  const RunResult file = runTool({"--text", "/nonexistent/\x07" "bell"});
  EXPECT_NE(file.err.find("\\x07bell"), std::string::npos) << file.err;
  // So are the bidirectional controls, which would reorder the line on display.
  const RunResult bidi = runTool({"--language", "txt.\xE2\x80\xAE" "exe"});
  EXPECT_NE(bidi.err.find("'txt.\\xe2\\x80\\xaeexe'"), std::string::npos) << bidi.err;
  // Letters of any script are shown as they are.
  EXPECT_NE(runTool({"--language", "\u00E9t\u00E9"}).err.find("'\u00E9t\u00E9'"), std::string::npos);
}

TEST(ToolErrors, ATooLargeNumberIsNamedSo) {
  const RunResult result = runTool({"--min-length", "99999999999999999999999", "a"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("too large"), std::string::npos) << result.err;
  expectUsageError(runTool({"--min-length", "9x"}), "'9x'");
}

TEST(ToolErrors, UnknownLanguageSuggestsTheList) {
  const RunResult byOption = runTool({"--language", "klingon", "associate"});
  expectUsageError(byOption, "'klingon'");
  EXPECT_NE(byOption.err.find("--list"), std::string::npos);
  expectUsageError(runTool({"--language=XX-EN"}, "associate\n"), "'XX-EN'");
  // Close names are offered.
  expectUsageError(runTool({"--language", "hungarain", "x"}), "(did you mean hu?)");
  expectUsageError(runTool({"--language="}, "associate\n"), "''");
  expectUsageError(runTool({"--licence", "xx"}), "'xx'");
}

TEST(ToolErrors, UnknownOptionIsNamed) {
  expectUsageError(runTool({"--frobnicate", "associate"}), "'--frobnicate'");
  expectUsageError(runTool({"--frobnicate=3"}), "'--frobnicate'");
  expectUsageError(runTool({"-x", "en-us"}), "'-x'");
  expectUsageError(runTool({"-V1"}), "-V takes no value");
  expectUsageError(runTool({"-l"}), "-l needs a value");
  expectUsageError(runTool({"--lang", "en-us"}), "'--lang'");
}

TEST(ToolErrors, MisusedOptionsAreNamed) {
  expectUsageError(runTool({"--language"}), "--language");
  expectUsageError(runTool({"--separator"}), "--separator");
  expectUsageError(runTool({"--list=all"}), "--list");
  expectUsageError(runTool({"--list", "--licence", "en-us"}), "--licence");
  expectUsageError(runTool({"--list", "associate"}), "'associate'");
}

TEST(ToolErrors, ClosedOutputEndsWithAStatus) {
  // Standard output closed: a write error, reported, exit status 1.
  const RunResult closed = runTool({"associate"}, {}, StdoutKind::Closed);
  EXPECT_TRUE(closed.exited);
  EXPECT_EQ(closed.status, 1);
  EXPECT_NE(closed.err.find("cannot write to standard output"), std::string::npos)
      << closed.err;
  // The reader went away (as `| head` does): no signal death, no message.
  std::string input;
  for (int i = 0; i < 100000; ++i) input += "associate\n";
  const RunResult broken = runTool({}, input, StdoutKind::BrokenPipe);
  EXPECT_TRUE(broken.exited);
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.err, "");
}

}  // namespace
