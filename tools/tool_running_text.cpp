// Running text and HTML for quellix-hyphenate: the progress line, and dividing each input
// on one thread, on a pipeline of threads (plain text) or in blocks beside the reading and
// writing (HTML).
#include "tool_running_text.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/printable.hpp"
#include "quellix/text.hpp"

namespace quellix::tool {
namespace {

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

}  // namespace

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
  constexpr std::size_t kOneThreadBlock = std::size_t{64} * 1024;
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

}  // namespace quellix::tool
