// What quellix-hyphenate needs of the operating system beyond the POSIX calls that MinGW's
// C library has as well (read, write, close, fstat, isatty), so that the tool behaves the
// same on POSIX systems and Windows: standard streams that carry bytes unchanged, file
// names and arguments in UTF-8, and a closed pipe that is an error, not a signal.
#ifndef QUELLIX_TOOLS_TOOL_PLATFORM_HPP
#define QUELLIX_TOOLS_TOOL_PLATFORM_HPP

#include <fcntl.h>

#include <csignal>
#include <string>
#include <string_view>
#include <vector>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX  // std::min and std::max stay usable
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#include <shellapi.h>  // CommandLineToArgvW, in shell32

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#endif

namespace quellix::tool {

#if defined(_WIN32)
// text as UTF-16, or as UTF-8; empty when empty or not convertible.
inline std::wstring toWide(std::string_view text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 0, L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}
inline std::string toUtf8(std::wstring_view wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                        length, nullptr, nullptr);
  return text;
}
#endif

// Opens the file named path (UTF-8) for reading bytes; its descriptor, not inherited by
// child processes, or -1 with errno set.
inline int openForReading(std::string_view path) {
#if defined(_WIN32)
  const std::wstring wide = toWide(path);
  if (wide.empty() != path.empty()) {
    errno = EINVAL;  // not UTF-8
    return -1;
  }
  return ::_wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
  return ::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC);
#endif
}

// Sets up the standard streams before anything is read or written: a reader that goes
// away ends the tool with a status, not a signal (POSIX); standard input and output carry
// bytes unchanged, not "\r\n" for "\n" nor ^Z as the end (Windows), and a console shows
// them as UTF-8, as they are.
inline void prepareStandardStreams() {
#if defined(_WIN32)
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  static const UINT consoleCodePage = GetConsoleOutputCP();
  if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
    std::atexit([] { SetConsoleOutputCP(consoleCodePage); });  // the console's own again
#else
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

// The command line in UTF-8, as main's argc and argv: POSIX systems pass the bytes
// given; Windows passes main() its arguments in the ANSI code page, which cannot hold
// every character, so they are taken from the wide command line instead.
class Utf8Arguments {
 public:
  Utf8Arguments(int argc, char** argv) {
#if defined(_WIN32)
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
      for (int k = 0; k < count; ++k) texts_.push_back(toUtf8(wide[k]));
      LocalFree(wide);
    }
    if (count != argc) texts_.assign(argv, argv + argc);  // not the same command line
#else
    texts_.assign(argv, argv + argc);
#endif
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
  }
  Utf8Arguments(const Utf8Arguments&) = delete;
  Utf8Arguments& operator=(const Utf8Arguments&) = delete;

  int argc() const noexcept { return static_cast<int>(texts_.size()); }
  char** argv() noexcept { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

}  // namespace quellix::tool

#endif
