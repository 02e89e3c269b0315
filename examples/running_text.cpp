// Documentation example: readme_examples keeps it in step with its page (README.md or docs/).
#include <quellix/quellix.hpp>

#include <iostream>
#include <string>
#include <string_view>

int main() {
  quellix::TextOptions options;
  options.hyphen = "-";         // the default is U+00AD SOFT HYPHEN
  options.skipCapitals = true;  // URLs and e-mail addresses are skipped by default
  std::cout << quellix::hyphenateText(
                   quellix::english_US,
                   "Hyphenation of running text leaves www.example.org and UNESCO alone.",
                   options)
            << '\n';
}
