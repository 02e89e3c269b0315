// Line splitting shared by the pattern, exception and character-class text formats.
#ifndef QUELLIX_SRC_TEXT_LINES_HPP
#define QUELLIX_SRC_TEXT_LINES_HPP

#include <string_view>

namespace quellix::detail {

// Calls each(line) for every line of text: split at U+000A, where a line feed at the
// very end opens no further line and an empty text has no lines. Carriage returns and
// every other character stay in their line.
template <class Each>
void forEachLine(std::u32string_view text, Each&& each) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find(U'\n', begin);
    if (end == std::u32string_view::npos) end = text.size();
    each(text.substr(begin, end - begin));
    begin = end + 1;
  }
}

}  // namespace quellix::detail

#endif
