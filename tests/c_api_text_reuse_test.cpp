// quellix_hyphenate_text on one handle, called again and again with other texts and options,
// and from several threads at once, gives what the first call on a new handle gives: the
// state a handle keeps between calls must never show in a result.
#include <cstddef>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "quellix/quellix.h"
#include "test_support.hpp"

namespace {

struct Options {
  std::string hyphen = "\u00AD";
  std::size_t minWordLength = 5;
  int skipSoftHyphenated = 1, skipCapitals = 0, skipUrls = 1, html = 0, followLang = 1;
  bool report = false;  // with an unknown_lang function
};

// Plain text and HTML that leave the scanner in every kind of state at their end (a tag,
// a reference, a cut UTF-8 sequence, raw text, a word), with lang scopes, known and not;
// and one too long for the kept streams.
const char* const kShortTexts[] = {
    "",
    "hyphenation",
    "Hyphenation matters to typesetters ",
    "well-known NASA camelCase https://example.com/hyphenation user@example.com",
    "hy\u00ADphenation hyphenation\u00AD imagination \xC3",
    "e\u0301le\u0301ment \xE2\x80 Stra\u00DFenbahn hyphenation",
    "<p lang=de>Silbentrennung <b lang=fr>Anticonstitutionnellement</b> hyphenation",
    "<div lang=\"xx-unknown\">hyphenation</div><p lang=tlh>hyphenation</p> <span lang=",
    "<pre>hyphenation <code>hyphenation</code></pre> hyphenation <script>var hyphenation",
    "<p>inter&#x6E;ational &eacute;l&eacute;mentaire &amp hyphenation &shy",
    "<!-- hyphenation --> <title>hyphenation</title> <textarea>hyphenation",
    "<p lang=ru>\u0433\u0438\u0434\u0440\u043E\u044D\u043B\u0435\u043A\u0442\u0440\u043E\u0441\u0442\u0430\u043D\u0446\u0438\u044F</p><p",
};

const std::vector<std::string>& texts() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> list(std::begin(kShortTexts), std::end(kShortTexts));
    std::string page;
    while (page.size() <= (std::size_t{64} << 10)) page += "hyphenation <b lang=de>Silbentrennung</b> <p lang=xx>";
    list.push_back(page);
    return list;
  }();
  return all;
}

std::vector<Options> optionVariants() {
  std::vector<Options> variants(9);
  variants[1].hyphen = "-";
  variants[2].hyphen = std::string("x\0y", 3);
  variants[3].minWordLength = 3;
  variants[3].skipCapitals = 1;
  variants[4].skipUrls = 0;
  variants[4].skipSoftHyphenated = 0;
  variants[5].html = 1;
  variants[6].html = 1;
  variants[6].followLang = 0;
  variants[7].html = 1;
  variants[7].report = true;
  variants[7].hyphen = "=";
  variants[8].report = true;
  return variants;
}

struct Result {
  int status = QUELLIX_OK;
  std::string text;
  std::vector<std::string> unknown;  // the lang values reported, in order
  bool operator==(const Result&) const = default;
};

void record(void* context, const char* value, std::size_t length) {
  static_cast<std::vector<std::string>*>(context)->emplace_back(value, length);
}

// One call on h, with a buffer that is too small first when small is set (the caller then
// calls again with the length reported, as the JavaScript package does).
Result divide(const quellix_hyphenator* h, const std::string& text, const Options& o, bool small) {
  Result result;
  quellix_text_options options = quellix_text_options_default();
  options.hyphen = o.hyphen.data();
  options.hyphen_length = o.hyphen.size();
  options.min_word_length = o.minWordLength;
  options.skip_soft_hyphenated = o.skipSoftHyphenated;
  options.skip_capitals = o.skipCapitals;
  options.skip_urls = o.skipUrls;
  options.html = o.html;
  options.follow_lang = o.followLang;
  if (o.report) {
    options.unknown_lang = record;
    options.unknown_lang_context = &result.unknown;
  }
  std::size_t length = 0;
  std::string buffer(small ? 1 : 4 * text.size() + 64, '\0');
  result.status = quellix_hyphenate_text(h, text.data(), text.size(), &options, buffer.data(),
                                         buffer.size(), &length);
  if (result.status == QUELLIX_ERROR_BUFFER_TOO_SMALL && small) {
    result.unknown.clear();
    buffer.assign(length + 1, '\0');
    result.status = quellix_hyphenate_text(h, text.data(), text.size(), &options, buffer.data(),
                                           buffer.size(), &length);
  }
  if (result.status == QUELLIX_OK) result.text.assign(buffer.data(), length);
  return result;
}

// The handles a test divides with: a language's own, or one derived with exceptions.
quellix_hyphenator* openHandle(bool derived) {
  quellix_hyphenator* base = nullptr;
  EXPECT_EQ(quellix_hyphenator_open("en-us", &base), QUELLIX_OK);
  if (!derived) return base;
  quellix_hyphenator* own = nullptr;
  EXPECT_EQ(quellix_hyphenator_with_exceptions(base, "hyphen-ation\nta-ble", QUELLIX_NUL_TERMINATED, &own),
            QUELLIX_OK);
  quellix_hyphenator_close(base);
  return own;
}

using Case = std::tuple<std::size_t, std::size_t>;  // text, options

// What the first call on a new handle gives for each text and options.
std::map<Case, Result> freshResults(bool derived, const std::vector<Options>& variants) {
  std::map<Case, Result> fresh;
  for (std::size_t t = 0; t < texts().size(); ++t)
    for (std::size_t v = 0; v < variants.size(); ++v) {
      quellix_hyphenator* h = openHandle(derived);
      fresh[{t, v}] = divide(h, texts()[t], variants[v], false);
      quellix_hyphenator_close(h);
    }
  return fresh;
}

class KeptTextStreams : public ::testing::TestWithParam<bool> {};

TEST_P(KeptTextStreams, RepeatedAndInterleavedCallsGiveWhatFreshOnesGive) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  const bool derived = GetParam();
  const std::vector<Options> variants = optionVariants();
  const std::map<Case, Result> fresh = freshResults(derived, variants);
  // The fresh results themselves mean something: the texts are divided and lang is heard.
  EXPECT_EQ(fresh.at({1, 1}).text, derived ? "hyphen-ation" : "hy-phen-ation");
  EXPECT_EQ(fresh.at({7, 7}).unknown, (std::vector<std::string>{"xx-unknown", "tlh"}));
  quellix_hyphenator* h = openHandle(derived);
  std::mt19937 random(derived ? 11 : 7);
  for (int call = 0; call < 1500; ++call) {
    // The long text now and then: it must leave the kept streams as they were.
    const std::size_t t = call % 50 == 49 ? texts().size() - 1 : random() % std::size(kShortTexts);
    // Runs of the same options as well as changes from call to call.
    const std::size_t v = random() % 3 == 0 ? 0 : random() % variants.size();
    const bool small = random() % 8 == 0;
    ASSERT_EQ(divide(h, texts()[t], variants[v], small), fresh.at({t, v}))
        << "call " << call << ": text " << t << ", options " << v << (small ? ", small buffer" : "");
  }
  quellix_hyphenator_close(h);
}

TEST_P(KeptTextStreams, OneHandleInSeveralThreadsAtOnce) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  const bool derived = GetParam();
  const std::vector<Options> variants = optionVariants();
  const std::map<Case, Result> fresh = freshResults(derived, variants);
  quellix_hyphenator* h = openHandle(derived);
  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (std::size_t k = 0; k < mismatches.size(); ++k)
    threads.emplace_back([&, k] {
      std::mt19937 random(static_cast<unsigned>(k) + 1);
      for (int call = 0; call < 400; ++call) {
        const std::size_t t = call % 50 == 49 ? texts().size() - 1 : random() % std::size(kShortTexts);
        const std::size_t v = random() % variants.size();
        if (!(divide(h, texts()[t], variants[v], false) == fresh.at({t, v}))) ++mismatches[k];
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(mismatches.size(), 0));
  quellix_hyphenator_close(h);
}

// A call made from the unknown_lang function of a call on the same handle finds the kept
// streams taken, divides with its own, and leaves the outer call's stream as it was.
struct Nested {
  quellix_hyphenator* handle;
  std::vector<std::string> results;
};

void divideFromReport(void* context, const char* value, std::size_t length) {
  auto* nested = static_cast<Nested*>(context);
  const std::string text = "hyphenation";
  quellix_text_options options = quellix_text_options_default();
  options.hyphen = "-";
  options.hyphen_length = 1;
  char buffer[64] = {};
  std::size_t written = 0;
  if (quellix_hyphenate_text(nested->handle, text.data(), text.size(), &options, buffer, sizeof buffer,
                             &written) == QUELLIX_OK)
    nested->results.push_back(std::string(buffer, written) + " " + std::string(value, length));
}

TEST_P(KeptTextStreams, CallFromTheUnknownLangFunction) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  const std::vector<Options> variants = optionVariants();
  const std::map<Case, Result> fresh = freshResults(GetParam(), variants);
  Nested nested{openHandle(GetParam()), {}};
  const std::string text = kShortTexts[7];
  quellix_text_options options = quellix_text_options_default();
  options.hyphen = "=";
  options.hyphen_length = 1;
  options.html = 1;
  options.unknown_lang = divideFromReport;
  options.unknown_lang_context = &nested;
  std::string buffer(4 * text.size(), '\0');
  std::size_t length = 0;
  ASSERT_EQ(quellix_hyphenate_text(nested.handle, text.data(), text.size(), &options, buffer.data(),
                                   buffer.size(), &length),
            QUELLIX_OK);
  EXPECT_EQ(buffer.substr(0, length), fresh.at({7, 7}).text);
  const std::string inner = GetParam() ? "hyphen-ation " : "hy-phen-ation ";
  EXPECT_EQ(nested.results, (std::vector<std::string>{inner + "xx-unknown", inner + "tlh"}));
  quellix_hyphenator_close(nested.handle);
}

INSTANTIATE_TEST_SUITE_P(Handles, KeptTextStreams, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "Derived" : "Language"; });

}  // namespace
