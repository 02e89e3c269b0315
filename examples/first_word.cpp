// README example: kept in step with README.md by the readme_examples test.
#include <quellix/quellix.hpp>

#include <iostream>

int main() {
  // The process-wide English (US) hyphenator, built from the embedded data on first use.
  for (const std::u32string& piece : quellix::hyphenate(quellix::english_US, U"associate")) {
    for (char32_t c : piece) std::cout << static_cast<char>(c);  // ASCII only, for brevity
    std::cout << '\n';                                           // as / so / ciate
  }
}
