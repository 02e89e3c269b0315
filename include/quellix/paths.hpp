// Where quellix's installed files live, and the library's version.
//
// Six installation directories, each with a default fixed when the library is configured
// and an environment variable that overrides it at run time:
//
//   operation        variable             default (shown for the installation prefix /usr)
//   getBinDir        quellix_bindir       /usr/bin
//   getLibDir        quellix_libdir       /usr/lib/TOOLCHAIN/site-local/quellix-0.8.3
//   getDynLibDir     quellix_dynlibdir    /usr/lib
//   getDataDir       quellix_datadir      /usr/share/FAMILY-quellix
//   getLibexecDir    quellix_libexecdir   /usr/libexec/PLATFORM-TOOLCHAIN/quellix-0.8.3
//   getSysconfDir    quellix_sysconfdir   /usr/etc
//
// The parts of the defaults come from the build configuration:
//   - the prefix is CMAKE_INSTALL_PREFIX (trailing "/" dropped), /usr/local unless set;
//   - TOOLCHAIN is the C++ compiler's CMake id and version in lower case, joined by "-",
//     with the id GNU spelled gcc: gcc-12.2.0, clang-14.0.6;
//   - FAMILY is the cache variable QUELLIX_PACKAGE_FAMILY, "debian" unless set;
//   - PLATFORM is the target's processor and system in lower case, with amd64 spelled
//     x86_64: x86_64-linux;
//   - 0.8.3 is the project's version.
// The defaults follow the library's own layout, not GNUInstallDirs (so the sysconf
// default under /usr is /usr/etc, not /etc).
//
// Paths are byte strings passed and returned unchanged: nothing is normalised, made
// absolute or checked for existence. Each call reads the environment afresh; nothing is
// cached. The functions are safe to call from any number of threads, provided no thread
// changes the environment (setenv, putenv, unsetenv) at the same time: callers that do
// must serialise that themselves, as for any use of std::getenv.
#ifndef QUELLIX_PATHS_HPP
#define QUELLIX_PATHS_HPP

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "quellix/export.hpp"
#include "quellix/version.hpp"

namespace quellix {

// The value of quellix_bindir when it is set (even to the empty string), else the
// configured default, prefix + "/bin". Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string getBinDir();

// The value of quellix_libdir when it is set, else the configured default,
// prefix + "/lib/" + TOOLCHAIN + "/site-local/quellix-" + version.
// Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string getLibDir();

// The value of quellix_dynlibdir when it is set, else the configured default,
// prefix + "/lib". Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string getDynLibDir();

// The value of quellix_datadir when it is set, else the configured default,
// prefix + "/share/" + FAMILY + "-quellix". Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string getDataDir();

// The value of quellix_libexecdir when it is set, else the configured default,
// prefix + "/libexec/" + PLATFORM + "-" + TOOLCHAIN + "/quellix-" + version.
// Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string getLibexecDir();

// The value of quellix_sysconfdir when it is set, else the configured default,
// prefix + "/etc". Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string getSysconfDir();

// The path of the data file name: getDataDir() joined with name, by the first rule
// that applies:
//   1. the directory is empty: name;
//   2. the directory is exactly ".": name (so "." and "" give "");
//   3. name is empty: the directory;
//   4. the directory ends in "/": the directory followed directly by name;
//   5. otherwise: the directory, "/", name.
// Only "/" is a separator; a name beginning with "/" is still appended, and "." or ".."
// components pass through. Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string getDataFileName(std::string_view name);

// A version number: its numeric components, most significant first. quellix's versions
// carry no tags, so the record has none; ordering is by components, lexicographically.
struct Version {
  std::array<std::int64_t, 3> versionBranch;

  friend constexpr bool operator==(const Version&, const Version&) = default;
  // Written out, not defaulted: not every standard library gives std::array an
  // operator<=> yet (emscripten's libc++ does not).
  friend constexpr std::strong_ordering operator<=>(const Version& a, const Version& b) {
    for (std::size_t i = 0; i < a.versionBranch.size(); ++i)
      if (const auto order = a.versionBranch[i] <=> b.versionBranch[i]; order != 0) return order;
    return std::strong_ordering::equal;
  }
};

// The library's version, 0.8.3 (the QUELLIX_VERSION_* macros of quellix/version.hpp).
inline constexpr Version version{
    {QUELLIX_VERSION_MAJOR, QUELLIX_VERSION_MINOR, QUELLIX_VERSION_PATCH}};

// The components joined by ".": "0.8.3" for version. Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string showVersion(const Version& v);

// Debug rendering of the record, with the empty tag list every quellix version has:
// Version {versionBranch = [0,8,3], versionTags = []}, in parentheses when d >= 11,
// followed by tail. Throws only std::bad_alloc.
[[nodiscard]] QUELLIX_API std::string showsPrec(int d, const Version& v, std::string_view tail = {});
// showsPrec(0, v, "").
[[nodiscard]] QUELLIX_API std::string show(const Version& v);
// Writes show(v).
QUELLIX_API std::ostream& operator<<(std::ostream& out, const Version& v);

}  // namespace quellix

#endif
