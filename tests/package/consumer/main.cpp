// A program outside the quellix tree, built against an installed quellix: it checks that
// the headers and the shared library agree on the version and divides one English word
// with the embedded data.
#include <quellix/paths.hpp>
#include <quellix/quellix.hpp>
#include <quellix/version.hpp>

#include <iostream>
#include <string>

int main() {
  const std::string version = quellix::showVersion(quellix::version);
  if (version != QUELLIX_VERSION_STRING) {
    std::cerr << "library version " << version << " != header version "
              << QUELLIX_VERSION_STRING << "\n";
    return 1;
  }
  std::string divided;
  for (const std::u32string& piece : quellix::hyphenate(quellix::english_US, U"associate")) {
    if (!divided.empty()) divided += '-';
    for (char32_t c : piece) divided += static_cast<char>(c);  // the word is ASCII
  }
  std::cout << "quellix " << version << ": " << divided << "\n";
  return divided == "as-so-ciate" ? 0 : 1;
}
