// The limits on callers' pattern texts, exception lists and dictionaries, and the file
// reader that keeps to them (quellix/user_files.hpp).
#include "quellix/user_files.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#if defined(_WIN32)
#include <filesystem>
#endif

#include "quellix/error.hpp"

namespace quellix {
namespace {

// Follows a text piece by piece and throws at the first limit it passes.
class LimitCheck {
 public:
  explicit LimitCheck(std::string_view source) : source_(source) {}

  void take(std::string_view piece) {
    total_ += piece.size();
    if (total_ > kMaxFileBytes)
      throw ArgumentError(std::string(source_) + ": larger than " +
                          std::to_string(kMaxFileBytes >> 20) +
                          " MiB, the most a pattern text, exception list or dictionary may hold");
    while (!piece.empty()) {
      const std::size_t end = piece.find('\n');
      lineBytes_ += end == std::string_view::npos ? piece.size() : end;
      if (lineBytes_ > kMaxLineBytes)
        throw ArgumentError(std::string(source_) + ": line " + std::to_string(line_) +
                            " is longer than " + std::to_string(kMaxLineBytes) +
                            " bytes, the most a line may hold");
      if (end == std::string_view::npos) return;
      piece.remove_prefix(end + 1);
      lineBytes_ = 0;
      ++line_;
    }
  }

 private:
  std::string_view source_;
  std::size_t total_ = 0;
  std::size_t lineBytes_ = 0;
  std::size_t line_ = 1;
};

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// The file named by the UTF-8 path, opened for reading bytes; null with errno set when it
// cannot be. Windows' fopen would take the path in the ANSI code page.
std::FILE* openForReading(const std::string& path) {
#if defined(_WIN32)
  try {
    const std::filesystem::path native(std::u8string(path.begin(), path.end()));
    return _wfopen(native.c_str(), L"rb");
  } catch (const std::exception&) {  // not UTF-8
    errno = EILSEQ;
    return nullptr;
  }
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

void checkFileLimits(std::string_view text, std::string_view source) {
  LimitCheck(source).take(text);
}

std::string readUserFile(const std::string& path) {
  errno = 0;
  const std::unique_ptr<std::FILE, FileCloser> file(openForReading(path));
  if (!file) throw FileError("cannot open '" + path + "': " + std::strerror(errno));
  LimitCheck check(path);
  std::string text;
  char piece[64 * 1024];
  for (;;) {
    const std::size_t n = std::fread(piece, 1, sizeof piece, file.get());
    if (n > 0) {
      check.take(std::string_view(piece, n));
      text.append(piece, n);
    }
    if (n < sizeof piece) {
      if (std::ferror(file.get()) != 0)
        throw FileError("cannot read '" + path + "': " + std::strerror(errno));
      return text;
    }
  }
}

}  // namespace quellix
