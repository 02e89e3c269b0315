// The tool's errors and standard streams: the failures main() turns into messages and exit
// statuses, the message line itself, buffered output to a file descriptor, and standard
// input read as lines or as blocks that grow with what arrives.
#ifndef QUELLIX_TOOLS_TOOL_IO_HPP
#define QUELLIX_TOOLS_TOOL_IO_HPP

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

#include "quellix/printable.hpp"
#include "tool_platform.hpp"

namespace quellix::tool {

inline constexpr std::string_view kProgram = "quellix-hyphenate";

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
inline void printError(std::string_view message) {
  constexpr std::size_t kLongestMessage = 1000;
  std::string line;
  line.append(kProgram).append(": ");
  if (quellix::appendPrintable(message, kLongestMessage, line) < message.size()) line.append("...");
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// User text as a message shows it: in quotes, made printable and cut.
inline std::string quoted(std::string_view text) {
  constexpr std::size_t kShownBytes = 200;
  std::string result = "'";
  const std::size_t shown = quellix::appendPrintable(text, kShownBytes, result);
  result.push_back('\'');
  if (shown < text.size()) result.append("... (" + std::to_string(text.size()) + " bytes)");
  return result;
}

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

}  // namespace quellix::tool

#endif  // QUELLIX_TOOLS_TOOL_IO_HPP
