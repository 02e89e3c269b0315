// Installation directories: environment override first, configured default second.
#include "quellix/paths.hpp"

#include <cstdlib>
#include <ostream>

#include "paths_config.hpp"

namespace quellix {
namespace {

// The variable's value when it is set, even to "", else the configured default.
// std::getenv cannot fail with an I/O error, so an unset variable is the only fallback.
std::string lookupDirectory(const char* variable, const char* configuredDefault) {
  if (const char* value = std::getenv(variable)) return value;
  return configuredDefault;
}

std::string joinPath(std::string_view dir, std::string_view name) {
  if (dir.empty() || dir == ".") return std::string(name);
  if (name.empty()) return std::string(dir);
  std::string path(dir);
  if (path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace

std::string getBinDir() { return lookupDirectory("quellix_bindir", QUELLIX_DEFAULT_BINDIR); }

std::string getLibDir() { return lookupDirectory("quellix_libdir", QUELLIX_DEFAULT_LIBDIR); }

std::string getDynLibDir() {
  return lookupDirectory("quellix_dynlibdir", QUELLIX_DEFAULT_DYNLIBDIR);
}

std::string getDataDir() { return lookupDirectory("quellix_datadir", QUELLIX_DEFAULT_DATADIR); }

std::string getLibexecDir() {
  return lookupDirectory("quellix_libexecdir", QUELLIX_DEFAULT_LIBEXECDIR);
}

std::string getSysconfDir() {
  return lookupDirectory("quellix_sysconfdir", QUELLIX_DEFAULT_SYSCONFDIR);
}

std::string getDataFileName(std::string_view name) { return joinPath(getDataDir(), name); }

std::string showVersion(const Version& v) {
  std::string text;
  for (std::int64_t component : v.versionBranch) {
    if (!text.empty()) text += '.';
    text += std::to_string(component);
  }
  return text;
}

std::string showsPrec(int d, const Version& v, std::string_view tail) {
  std::string text;
  if (d >= 11) text += '(';
  text += "Version {versionBranch = [";
  bool first = true;
  for (std::int64_t component : v.versionBranch) {
    if (!first) text += ',';
    first = false;
    text += std::to_string(component);
  }
  text += "], versionTags = []}";
  if (d >= 11) text += ')';
  text += tail;
  return text;
}

std::string show(const Version& v) { return showsPrec(0, v); }

std::ostream& operator<<(std::ostream& out, const Version& v) { return out << show(v); }

}  // namespace quellix
