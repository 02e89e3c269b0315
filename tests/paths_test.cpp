// Installation directories: environment overrides, configured defaults, the data-file
// join rules and the version record.
#include "quellix/paths.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "quellix/version.hpp"

namespace {

#if defined(_WIN32)
// Windows' C library sets and removes variables with _putenv_s; it cannot hold an empty
// value (setting "" removes the variable).
int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

using quellix::Version;

struct Directory {
  const char* variable;
  std::function<std::string()> get;
};

const std::vector<Directory>& directories() {
  static const std::vector<Directory> all = {
      {"quellix_bindir", quellix::getBinDir},
      {"quellix_libdir", quellix::getLibDir},
      {"quellix_dynlibdir", quellix::getDynLibDir},
      {"quellix_datadir", quellix::getDataDir},
      {"quellix_libexecdir", quellix::getLibexecDir},
      {"quellix_sysconfdir", quellix::getSysconfDir},
  };
  return all;
}

std::string configuredPrefix() {
  std::string prefix = QUELLIX_TEST_INSTALL_PREFIX;
  while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
  return prefix;
}

// The toolchain segment, as the compiler that builds this test names itself.
std::string compilerSegment() {
#if defined(__clang__)
  return "clang-" + std::to_string(__clang_major__) + "." + std::to_string(__clang_minor__) +
         "." + std::to_string(__clang_patchlevel__);
#else
  return "gcc-" + std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__) + "." +
         std::to_string(__GNUC_PATCHLEVEL__);
#endif
}

const std::string kPackage = std::string("quellix-") + QUELLIX_TEST_PROJECT_VERSION;

// Every test starts with all six variables unset and leaves the environment as it was.
class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const Directory& dir : directories()) {
      const char* value = std::getenv(dir.variable);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(dir.variable);
    }
  }

  void TearDown() override {
    for (std::size_t i = 0; i < directories().size(); ++i) {
      if (saved_[i]) {
        setenv(directories()[i].variable, saved_[i]->c_str(), 1);
      } else {
        unsetenv(directories()[i].variable);
      }
    }
  }

  static void set(const char* variable, const std::string& value) {
    ASSERT_EQ(setenv(variable, value.c_str(), 1), 0) << variable;
  }

 private:
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(PathsTest, UnsetVariablesGiveTheDefaultsUnderTheInstallPrefix) {
  const std::string prefix = configuredPrefix();
  const std::string compiler = compilerSegment();
  EXPECT_EQ(quellix::getBinDir(), prefix + "/bin");
  EXPECT_EQ(quellix::getLibDir(), prefix + "/lib/" + compiler + "/site-local/" + kPackage);
  EXPECT_EQ(quellix::getDynLibDir(), prefix + "/lib");
  EXPECT_EQ(quellix::getDataDir(),
            prefix + "/share/" + QUELLIX_TEST_PACKAGE_FAMILY + "-quellix");
  EXPECT_EQ(quellix::getSysconfDir(), prefix + "/etc");
  const std::string libexec = quellix::getLibexecDir();
#if defined(__x86_64__) && defined(__linux__)
  EXPECT_EQ(libexec, prefix + "/libexec/x86_64-linux-" + compiler + "/" + kPackage);
#else
  EXPECT_EQ(libexec.rfind(prefix + "/libexec/", 0), 0u) << libexec;
  EXPECT_NE(libexec.find("-" + compiler + "/" + kPackage), std::string::npos) << libexec;
#endif
}

TEST_F(PathsTest, SetVariableIsReturnedExactlyAndOnlyByItsOwnOperation) {
  std::vector<std::string> defaults;
  for (const Directory& dir : directories()) defaults.push_back(dir.get());

  for (std::size_t i = 0; i < directories().size(); ++i) {
    SCOPED_TRACE(directories()[i].variable);
    // Relative, with a trailing separator, a blank, a backslash and UTF-8: all kept.
    const std::string value = std::string("./opt//") + directories()[i].variable + " dir\\/ä/";
    set(directories()[i].variable, value);
    for (std::size_t j = 0; j < directories().size(); ++j) {
      EXPECT_EQ(directories()[j].get(), i == j ? value : defaults[j]) << directories()[j].variable;
    }
    unsetenv(directories()[i].variable);
  }
}

TEST_F(PathsTest, EmptyValueIsReturnedAsIs) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows' environment has no empty values";
#endif
  for (const Directory& dir : directories()) {
    set(dir.variable, "");
    EXPECT_EQ(dir.get(), "") << dir.variable;
  }
}

TEST_F(PathsTest, EveryCallReadsTheEnvironmentAfresh) {
  const std::string fallback = quellix::getBinDir();
  set("quellix_bindir", "/first");
  EXPECT_EQ(quellix::getBinDir(), "/first");
  set("quellix_bindir", "/second");
  EXPECT_EQ(quellix::getBinDir(), "/second");
  unsetenv("quellix_bindir");
  EXPECT_EQ(quellix::getBinDir(), fallback);

  set("quellix_datadir", "/first");
  EXPECT_EQ(quellix::getDataFileName("a.txt"), "/first/a.txt");
  set("quellix_datadir", "/second");
  EXPECT_EQ(quellix::getDataFileName("a.txt"), "/second/a.txt");
}

TEST_F(PathsTest, DataFileNameJoinsTheDataDirectoryAndTheName) {
  struct Case {
    std::string dir, name, expected;
  };
  const std::vector<Case> cases = {
      {"/opt/data", "a.txt", "/opt/data/a.txt"},
      {"/opt/data/", "a.txt", "/opt/data/a.txt"},   // one separator, not two
      {"", "a.txt", "a.txt"},                       // empty directory: the name
      {".", "a.txt", "a.txt"},                      // exactly "." is dropped
      {".", "", ""},                                // ... before an empty name is looked at
      {"", "", ""},
      {"/opt/data", "", "/opt/data"},               // empty name: the directory
      {"/opt/data/", "", "/opt/data/"},
      {"./data", "a.txt", "./data/a.txt"},          // only an exact "." is dropped
      {"./", "a.txt", "./a.txt"},
      {"..", "a.txt", "../a.txt"},
      {"/", "a.txt", "/a.txt"},
      {"/opt/data\\", "a.txt", "/opt/data\\/a.txt"},  // a backslash is no separator
      {"/opt/data", "/a.txt", "/opt/data//a.txt"},    // a leading "/" is still appended
      {"/opt/data/", "/a.txt", "/opt/data//a.txt"},
      {"/opt/data", "../b/./c.txt", "/opt/data/../b/./c.txt"},
      {"/opt/dätä", "wörter.txt", "/opt/dätä/wörter.txt"},
  };
  for (const Case& c : cases) {
#if defined(_WIN32)
    if (c.dir.empty()) continue;  // no empty values in Windows' environment
#endif
    set("quellix_datadir", c.dir);
    EXPECT_EQ(quellix::getDataFileName(c.name), c.expected)
        << "dir \"" << c.dir << "\", name \"" << c.name << "\"";
  }
}

TEST_F(PathsTest, DataFileNameUsesTheDefaultDataDirectoryWhenUnset) {
  EXPECT_EQ(quellix::getDataFileName("hyph-de.lic.txt"),
            quellix::getDataDir() + "/hyph-de.lic.txt");
  EXPECT_EQ(quellix::getDataFileName(""), quellix::getDataDir());
}

TEST(VersionTest, IsTheProjectVersion) {
  static_assert(quellix::version == Version{{0, 8, 3}});
  EXPECT_EQ(quellix::version.versionBranch[0], QUELLIX_VERSION_MAJOR);
  EXPECT_EQ(quellix::version.versionBranch[1], QUELLIX_VERSION_MINOR);
  EXPECT_EQ(quellix::version.versionBranch[2], QUELLIX_VERSION_PATCH);
  EXPECT_EQ(quellix::showVersion(quellix::version), "0.8.3");
  EXPECT_EQ(quellix::showVersion(quellix::version), QUELLIX_VERSION_STRING);
  EXPECT_EQ(std::string(QUELLIX_VERSION_STRING), QUELLIX_TEST_PROJECT_VERSION);
}

TEST(VersionTest, ShowVersionJoinsEveryComponent) {
  EXPECT_EQ(quellix::showVersion(Version{{1, 10, 0}}), "1.10.0");
  EXPECT_EQ(quellix::showVersion(Version{{0, 0, 12}}), "0.0.12");
}

TEST(VersionTest, DebugRenderingIsTheRecordWithItsFields) {
  EXPECT_EQ(quellix::show(quellix::version), "Version {versionBranch = [0,8,3], versionTags = []}");
  EXPECT_EQ(quellix::showsPrec(10, quellix::version, "!"),
            "Version {versionBranch = [0,8,3], versionTags = []}!");
  EXPECT_EQ(quellix::showsPrec(11, quellix::version, " x"),
            "(Version {versionBranch = [0,8,3], versionTags = []}) x");
  std::ostringstream out;
  out << Version{{2, 0, 1}};
  EXPECT_EQ(out.str(), "Version {versionBranch = [2,0,1], versionTags = []}");
}

TEST(VersionTest, OrdersByComponents) {
  static_assert(Version{{0, 8, 3}} < Version{{0, 9, 0}});
  static_assert(Version{{0, 8, 3}} < Version{{0, 8, 10}});
  static_assert(Version{{1, 0, 0}} > Version{{0, 99, 99}});
  static_assert(Version{{0, 8, 3}} != Version{{0, 8, 4}});
  EXPECT_GE(quellix::version, (Version{{0, 8, 0}}));
}

}  // namespace
