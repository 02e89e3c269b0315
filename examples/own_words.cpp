// Documentation example: readme_examples keeps it in step with its page (README.md or docs/).
#include <quellix/quellix.hpp>

#include <iostream>
#include <optional>
#include <string_view>

int main() {
  const std::optional<quellix::Language> german = quellix::findLanguage("de_AT.UTF-8");
  const quellix::Hyphenator house = quellix::withMargins(
      quellix::withExceptions(quellix::languageHyphenator(*german), "# house words\nQuel-lix\n"),
      3, 3);
  for (std::string_view word : {"QUELLIX", "Silbentrennung"}) {
    for (std::string_view piece : quellix::hyphenate(house, word)) std::cout << piece << ' ';
    std::cout << '\n';
  }
}
