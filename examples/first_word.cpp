// Documentation example: readme_examples keeps it in step with its page (README.md or docs/).
#include <quellix/quellix.hpp>

#include <iostream>
#include <string_view>

int main() {
  // The process-wide English (US) hyphenator, built from the embedded data on first use;
  // the pieces are views into the UTF-8 word.
  for (std::string_view piece : quellix::hyphenate(quellix::english_US, std::string_view("associate")))
    std::cout << piece << '\n';
}
