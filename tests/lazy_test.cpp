#include "quellix/lazy.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quellix {
namespace {

TEST(Lazy, PlainValueIsReadyAndShared) {
  Lazy<int> value(42);
  EXPECT_TRUE(value.ready());
  EXPECT_EQ(value.get(), 42);
  Lazy<int> copy = value;
  EXPECT_TRUE(copy.sharesCellWith(value));
  EXPECT_EQ(&copy.get(), &value.get());
}

TEST(Lazy, DeferredBuildsOnceForAllCopies) {
  int builds = 0;
  auto lazy = Lazy<std::string>::deferred([&] {
    ++builds;
    return std::string("built");
  });
  Lazy<std::string> copy = lazy;
  EXPECT_FALSE(lazy.ready());
  EXPECT_EQ(builds, 0);
  EXPECT_EQ(copy.get(), "built");
  EXPECT_EQ(lazy.get(), "built");
  EXPECT_TRUE(lazy.ready());
  EXPECT_EQ(builds, 1);
}

TEST(Lazy, FailedBuildRethrowsTheSameErrorEveryTime) {
  int builds = 0;
  auto lazy = Lazy<int>::deferred([&]() -> int {
    ++builds;
    throw DataFileError("Could not find x");
  });
  for (int k = 0; k < 3; ++k) {
    try {
      lazy.get();
      FAIL() << "no error";
    } catch (const DataFileError& e) {
      EXPECT_STREQ(e.what(), "Could not find x");
    }
  }
  EXPECT_EQ(builds, 1);
  EXPECT_FALSE(lazy.ready());
}

TEST(Lazy, BuilderThatNeedsItsOwnValueIsAnError) {
  std::shared_ptr<Lazy<int>> self;
  self = std::make_shared<Lazy<int>>(Lazy<int>::deferred([&] { return self->get() + 1; }));
  EXPECT_THROW(self->get(), ArgumentError);
}

TEST(Lazy, ConcurrentFirstUseBuildsOnce) {
  std::atomic<int> builds{0};
  auto lazy = Lazy<std::vector<int>>::deferred([&] {
    ++builds;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return std::vector<int>(1000, 7);
  });
  std::vector<const std::vector<int>*> seen(8);
  std::vector<std::thread> threads;
  for (int k = 0; k < 8; ++k) threads.emplace_back([&, k] { seen[k] = &lazy.get(); });
  for (auto& t : threads) t.join();
  EXPECT_EQ(builds.load(), 1);
  for (auto* p : seen) EXPECT_EQ(p, seen[0]);
}

}  // namespace
}  // namespace quellix
