// Word mode of quellix-hyphenate: words given as arguments or read line by line, divided
// one line at a time, with buffers reused from word to word.
#include "tool_words.hpp"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

#include "quellix/dictionary.hpp"
#include "quellix/text.hpp"

namespace quellix::tool {
namespace {

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
    std::string chunk(std::size_t{64} * 1024, '\0');
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

}  // namespace

void divideWords(const Settings& settings, const quellix::Hyphenator& h, Output& out) {
  if (settings.exact || settings.dictionaryFile) {
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
}

}  // namespace quellix::tool
