// Documentation example: readme_examples keeps it in step with its page (README.md or docs/).
#include <quellix/quellix.hpp>

#include <iostream>
#include <string>

int main() {
  quellix::TextOptions options;
  options.hyphen = "|";
  quellix::TextHyphenator stream(quellix::english_US, options);
  std::string out;
  for (const char* chunk : {"The associate pro", "fessor computed algo", "rithms."}) {
    stream.write(chunk, out);  // appends what can be decided; holds back a partial word
    std::cout << out << '\n';
  }
  stream.finish(out);
  std::cout << out << '\n';
}
