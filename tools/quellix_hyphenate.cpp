// quellix-hyphenate: divides words at their permitted break points, from the command line
// or line by line from standard input, with any of the library's 73 languages; or inserts
// soft hyphens into running text or HTML read from files or standard input.
//
// Exit status: 0 on success, 1 when reading, writing or the library fails, 2 for a wrong
// command line (unknown option or language, missing or superfluous value).

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "quellix/custom.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/printable.hpp"
#include "quellix/user_files.hpp"
#include "quellix/version.hpp"
#include "tool_command_line.hpp"
#include "tool_io.hpp"
#include "tool_platform.hpp"
#include "tool_running_text.hpp"
#include "tool_words.hpp"

// kOwnLicence (LICENSE) and kStatedLicences (data/licences.tsv), made by the build.
#include "tool_licences.inc"

namespace {

using namespace quellix::tool;

// ---------------------------------------------------------------------------------------
// The modes.

// --licence without a language: quellix's own licence, then the licence that each
// language's notice states, so that a user sees at once what binds a program using them.
std::string ownLicenceText() {
  std::string text = "quellix " QUELLIX_VERSION_STRING " is under the MIT licence:\n\n";
  text.append(kOwnLicence);
  text.append(
      "\nThe pattern data of each language carries its own licence notice;\n"
      "quellix-hyphenate --licence LANGUAGE prints it. The licence each notice states:\n\n");
  std::size_t affixWidth = 0;
  for (const StatedLicence& row : kStatedLicences) affixWidth = std::max(affixWidth, row.affix.size());
  for (const StatedLicence& row : kStatedLicences) {
    text.append(row.affix).append(affixWidth + 2 - row.affix.size(), ' ').append(row.stated);
    const std::optional<quellix::Language> language = quellix::languageFromName(row.affix);
    if (language && !quellix::languageBuiltIn(*language)) text.append(" (not built in)");
    text.push_back('\n');
  }
  return text;
}

void listLanguages(Output& out, bool tsv) {
  const quellix::LanguageRange all = quellix::enumFrom(quellix::languageMinBound);
  std::string line;
  if (tsv) {
    out.write("number\tname\taffix\tleft\tright\tbuilt in\n");
    for (const quellix::Language language : all) {
      const quellix::Hyphenator& h = quellix::languageHyphenator(language);
      line = std::to_string(quellix::fromEnum(language));
      line.append("\t").append(quellix::languageName(language));
      line.append("\t").append(quellix::languageAffix(language));
      line.append("\t").append(std::to_string(quellix::hyphenatorLeftMin(h)));
      line.append("\t").append(std::to_string(quellix::hyphenatorRightMin(h)));
      line.append(quellix::languageBuiltIn(language) ? "\tyes\n" : "\tno\n");
      out.write(line);
    }
    return;
  }
  std::size_t nameWidth = 0;
  std::size_t affixWidth = 0;
  for (const quellix::Language language : all) {
    nameWidth = std::max(nameWidth, quellix::languageName(language).size());
    affixWidth = std::max(affixWidth, quellix::languageAffix(language).size());
  }
  for (const quellix::Language language : all) {
    // Reading the margins builds none of the language's tables.
    const quellix::Hyphenator& h = quellix::languageHyphenator(language);
    const std::string number = std::to_string(quellix::fromEnum(language));
    const std::string_view name = quellix::languageName(language);
    const std::string_view affix = quellix::languageAffix(language);
    line.assign(2 - std::min<std::size_t>(2, number.size()), ' ').append(number);
    line.append("  ").append(name).append(nameWidth - name.size(), ' ');
    line.append("  ").append(affix).append(affixWidth - affix.size(), ' ');
    line.append("  ").append(std::to_string(quellix::hyphenatorLeftMin(h)));
    line.append(" ").append(std::to_string(quellix::hyphenatorRightMin(h)));
    const std::vector<std::string_view> aliases = quellix::languageAliases(language);
    for (std::size_t i = 0; i < aliases.size(); ++i)
      line.append(i == 0 ? "  also " : ", ").append(aliases[i]);
    if (!quellix::languageBuiltIn(language)) line.append("  (not built in)");
    line.push_back('\n');
    out.write(line);
  }
}

// The dictionaries of /usr/share/hyphen and of $QUELLIX_DICTIONARIES: path, the language tag
// the file name gives (hyph_de_DE.dic: de-DE), the encoding its first line names, and the
// built-in language that tag names. Only the first line of each file is read, and only
// regular files (or links to them) are: a FIFO or a device named *.dic would block or never end.
void listDictionaries(Output& out) {
  std::vector<std::string> directories{"/usr/share/hyphen"};
  if (const char* extra = std::getenv("QUELLIX_DICTIONARIES"); extra != nullptr && *extra != '\0')
    directories.emplace_back(extra);
  for (const std::string& directory : directories) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
      while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".dic") names.emplace_back(name);
      }
      ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      std::string path = directory;
      path += '/';
      path += name;
      std::error_code unreadable;  // a file that cannot be examined is left out too
      if (!std::filesystem::is_regular_file(std::filesystem::path(path), unreadable)) continue;
      std::string tag = name.substr(0, name.size() - 4);
      if (tag.rfind("hyph_", 0) == 0) tag.erase(0, 5);
      std::replace(tag.begin(), tag.end(), '_', '-');
      std::string encoding = "?";
      if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char first[64] = {};
        if (std::fgets(first, sizeof first, file) != nullptr) {
          encoding = first;
          while (!encoding.empty() && (encoding.back() == '\n' || encoding.back() == '\r' ||
                                       encoding.back() == ' '))
            encoding.pop_back();
        }
        std::fclose(file);
      }
      const std::optional<quellix::Language> language = quellix::findLanguage(tag);
      std::string line;
      quellix::appendPrintable(path, 4096, line);
      line.append("\t");
      quellix::appendPrintable(tag, 200, line);
      line.append("\t");
      quellix::appendPrintable(encoding, 64, line);
      line.append("\t").append(language ? quellix::languageName(*language) : "-").append("\n");
      out.write(line);
    }
  }
}

// The language's hyphenator with the command line's own patterns, exception words and
// margins. Every file is read and checked before anything is divided. Throws FileError.
quellix::Hyphenator chosenHyphenator(const Settings& settings) {
  quellix::Hyphenator h = quellix::languageHyphenator(settings.language);
  try {
    if (settings.dictionaryFile) h = quellix::loadDictionary(*settings.dictionaryFile);
    if (settings.patternFile)
      h = quellix::withPatternText(h, quellix::readUserFile(std::string(*settings.patternFile)),
                                   *settings.patternFile);
    for (const std::string_view file : settings.exceptionFiles)
      h = quellix::withExceptions(h, quellix::readUserFile(std::string(file)), file);
  } catch (const quellix::ArgumentError& error) {
    throw FileError{error.what()};
  } catch (const quellix::FileError& error) {
    throw FileError{error.what()};
  }
  if (settings.leftMin || settings.rightMin) {
    // Counts past any word's length behave alike; the cap keeps them in range.
    const auto margin = [](std::optional<std::size_t> given, std::int64_t own) {
      return given ? static_cast<std::int64_t>(std::min<std::size_t>(*given, INT64_MAX)) : own;
    };
    h = quellix::withMargins(h, margin(settings.leftMin, quellix::hyphenatorLeftMin(h)),
                             margin(settings.rightMin, quellix::hyphenatorRightMin(h)));
  }
  return h;
}

// Does what the command line asks, writing to out; the exit status.
int act(const Settings& settings, const quellix::Hyphenator& h, Output& out) {
  if (settings.help) {
    out.write(helpText());
  } else if (settings.version) {
    out.write(std::string(kProgram) + " " + QUELLIX_VERSION_STRING + "\n");
  } else if (settings.mode == Mode::List) {
    listLanguages(out, settings.tsv);
  } else if (settings.mode == Mode::ListDictionaries) {
    listDictionaries(out);
  } else if (settings.mode == Mode::Licence) {
    if (settings.licenceLanguage)
      out.write(quellix::languageLicence(*settings.licenceLanguage));
    else
      out.write(ownLicenceText());
  } else if (settings.mode == Mode::Text) {
    return hyphenateInputs(settings, h, out);
  } else {
    divideWords(settings, h, out);
  }
  return 0;
}

// Parses the command line and does what it asks; the exit status, or an exception.
int run(int argc, char** argv) {
  Settings settings;
  std::optional<quellix::Hyphenator> h;
  try {
    settings = parseCommandLine(argc, argv);
    h = chosenHyphenator(settings);
  } catch (const UsageError& error) {
    printError(error.message);
    return 2;
  } catch (const FileError& error) {
    printError(error.message);
    return 1;
  }
  Output out(STDOUT_FILENO);
  int status = 0;
  try {
    status = act(settings, *h, out);
  } catch (...) {
    // Whatever failed, the lines already divided are still delivered.
    try {
      out.flush();
    } catch (const StreamError&) {
    }
    throw;
  }
  out.flush();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  quellix::tool::prepareStandardStreams();
  try {
    quellix::tool::Utf8Arguments arguments(argc, argv);
    return run(arguments.argc(), arguments.argv());
  } catch (const StreamError& error) {
    // A closed pipe means the reader has all it wanted, as with `| head`: no message.
    if (error.errorNumber != EPIPE)
      printError(error.what + ": " + std::strerror(error.errorNumber));
    return 1;
  } catch (const OutOfMemory& error) {
    printError(error.what);
    return 1;
  } catch (const std::bad_alloc&) {
    printError("out of memory");
    return 1;
  } catch (const std::exception& error) {
    printError(error.what());
    return 1;
  }
}
