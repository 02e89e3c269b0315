// One shared language used from eight threads at once: one record, one set of tables,
// the same divisions in every thread. Short enough for ThreadSanitizer.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quellix/language.hpp"
#include "test_support.hpp"

namespace quellix {
namespace {

// Lets threads start their work at the same moment. (std::latch of GCC 12's standard
// library can miss a wake-up where the system has no futex, as on Windows, and leave a
// thread waiting for ever.)
class StartGate {
 public:
  explicit StartGate(int threads) : waiting_(threads) {}
  void arriveAndWait() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (--waiting_ == 0) {
      opened_.notify_all();
      return;
    }
    opened_.wait(lock, [this] { return waiting_ == 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  int waiting_;
};

struct Seen {
  const Hyphenator* record = nullptr;
  const Patterns* patterns = nullptr;
  const Exceptions* exceptions = nullptr;
  const CharNormaliser* chars = nullptr;
  std::vector<std::vector<std::u32string>> divisions;
};

const std::vector<std::u32string> kWords{U"Associate", U"algorithm", U"computer",
                                         U"program",   U"table",     U"hyphenation",
                                         U"PROJECT",   U"declination"};

TEST(LanguageThreads, EightThreadsShareOneHyphenatorAndItsTables) {
  QUELLIX_REQUIRE_LANGUAGES(Language::English_GB);
  constexpr int kThreads = 8;
  std::vector<Seen> seen(kThreads);
  StartGate start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arriveAndWait();
      Seen& mine = seen[static_cast<std::size_t>(t)];
      // Half the threads go through the named value, half through languageHyphenator,
      // and they touch the tables in different orders.
      const Hyphenator& h = t % 2 == 0 ? english_GB.get() : languageHyphenator(Language::English_GB);
      mine.record = &h;
      for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < kWords.size(); ++i) {
          const auto& word = kWords[(i + static_cast<std::size_t>(t)) % kWords.size()];
          auto pieces = hyphenate(h, word);
          if (round == 0) mine.divisions.push_back(std::move(pieces));
        }
      }
      mine.patterns = &hyphenatorPatterns(h);
      mine.exceptions = &hyphenatorExceptions(h);
      mine.chars = &hyphenatorChars(h);
    });
  }
  for (auto& thread : threads) thread.join();

  const Hyphenator& shared = english_GB;
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    const Seen& mine = seen[static_cast<std::size_t>(t)];
    EXPECT_EQ(mine.record, &shared);
    EXPECT_EQ(mine.patterns, &hyphenatorPatterns(shared));
    EXPECT_EQ(mine.exceptions, &hyphenatorExceptions(shared));
    EXPECT_EQ(mine.chars, &hyphenatorChars(shared));
    ASSERT_EQ(mine.divisions.size(), kWords.size());
    for (std::size_t i = 0; i < kWords.size(); ++i) {
      const auto& word = kWords[(i + static_cast<std::size_t>(t)) % kWords.size()];
      EXPECT_EQ(mine.divisions[i], hyphenate(shared, word));
    }
  }
}

// A language's trie is made only when asked for; threads that ask at the same moment
// must all see one complete trie.
TEST(LanguageThreads, ThreadsAskingForTheTrieAtOnceSeeOneTrie) {
  QUELLIX_REQUIRE_LANGUAGES(Language::English_GB);
  constexpr int kThreads = 8;
  const Hyphenator h = loadHyphenator(Language::English_GB);
  (void)hyphenate(h, U"hyphenation");  // the index is in use before the trie is made
  std::vector<std::vector<std::pair<char32_t, Patterns>>> seen(kThreads);
  StartGate start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arriveAndWait();
      seen[static_cast<std::size_t>(t)] = hyphenatorPatterns(h).children();
    });
  }
  for (auto& thread : threads) thread.join();
  const Patterns separate = hyphenatorPatterns(loadHyphenator(Language::English_GB));
  EXPECT_TRUE(hyphenatorPatterns(h) == separate);
  for (const auto& children : seen) {
    ASSERT_EQ(children.size(), seen[0].size());
    for (std::size_t k = 0; k < children.size(); ++k) {
      EXPECT_EQ(children[k].first, seen[0][k].first);
      EXPECT_TRUE(children[k].second == seen[0][k].second);
    }
  }
}

}  // namespace
}  // namespace quellix
