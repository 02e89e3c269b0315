// Documentation example: readme_examples keeps it in step with its page (README.md or docs/).
#include <quellix/quellix.hpp>

#include <iostream>
#include <string>
#include <string_view>

int main() {
  // Pieces are views into the UTF-8 word; break positions are byte offsets.
  for (std::string_view piece : quellix::hyphenate(quellix::german_1996, std::string_view("Größenverhältnisse")))
    std::cout << piece << ' ';
  std::cout << '\n';
  std::size_t at[16];
  const std::size_t n = quellix::breakPoints(quellix::russian, std::string_view("переносить"), at);
  for (std::size_t i = 0; i < n; ++i) std::cout << at[i] << ' ';
  std::cout << '\n';
}
