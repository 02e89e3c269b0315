// README example: kept in step with README.md by the readme_examples test.
#include <quellix/quellix.hpp>

#include <iostream>
#include <string_view>

int main() {
  // The process-wide English (US) hyphenator, built from the embedded data on first use;
  // the pieces are views into the UTF-8 word.
  for (std::string_view piece : quellix::hyphenate(quellix::english_US, std::string_view("associate")))
    std::cout << piece << '\n';
}
