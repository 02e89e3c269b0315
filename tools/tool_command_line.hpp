// The command line: what quellix-hyphenate is asked to do (Settings), parsed from its
// arguments, and the --help text made from the same table of options.
#ifndef QUELLIX_TOOLS_TOOL_COMMAND_LINE_HPP
#define QUELLIX_TOOLS_TOOL_COMMAND_LINE_HPP

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/language.hpp"

namespace quellix::tool {

enum class Mode { Divide, Text, List, Licence, ListDictionaries };

struct Settings {
  quellix::Language language = quellix::Language::English_US;
  std::vector<std::string_view> exceptionFiles;
  std::optional<std::string_view> patternFile;
  std::optional<std::string_view> dictionaryFile;
  bool languageGiven = false;
  std::optional<std::size_t> leftMin;
  std::optional<std::size_t> rightMin;
  bool tsv = false;
  std::optional<std::string> separator;  // default: "-", or the soft hyphen for Mode::Text
  std::optional<std::size_t> minLength;  // default: 0, or 5 for Mode::Text
  bool html = false;
  bool ignoreLang = false;
  std::optional<unsigned> jobs;  // default: 1
  bool exact = false;
  Mode mode = Mode::Divide;
  std::string_view modeOption;  // the option that chose mode, for conflict messages
  std::optional<quellix::Language> licenceLanguage;  // none: quellix's own licence
  bool help = false;
  bool version = false;
  std::vector<std::string_view> words;  // for Mode::Text, the files
};

// Options: "--name", "--name=value" or "--name value"; the short forms "-x", "-xVALUE" or
// "-x VALUE". "--" ends the options; every other argument, "-" included, is a word.
// Throws UsageError.
Settings parseCommandLine(int argc, char** argv);

// The text --help prints.
std::string helpText();

}  // namespace quellix::tool

#endif  // QUELLIX_TOOLS_TOOL_COMMAND_LINE_HPP
