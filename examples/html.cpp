// Documentation example: readme_examples keeps it in step with its page (README.md or docs/).
#include <quellix/quellix.hpp>

#include <iostream>
#include <string>
#include <string_view>

int main() {
  quellix::TextOptions options;
  options.hyphen = "&shy;";
  std::cout << quellix::hyphenateHtml(
                   quellix::english_US,
                   "<p title=\"hyphenation\">Typesetting &amp; hyphenation <code>hyphenation()</code></p>",
                   options)
            << '\n';
}
