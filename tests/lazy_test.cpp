#include "quellix/lazy.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
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

TEST(Lazy, BuildersNeedingEachOtherOnSeveralThreadsFailInsteadOfWaiting) {
  // Each builder starts, waits until all have started, then asks for the next cell's value:
  // a cycle of two or three builders on as many threads. Every get() must end, with
  // ArgumentError (the builder that closes the cycle gets it, the others see it rethrown).
  for (int size : {2, 3}) {
    SCOPED_TRACE(size);
    std::vector<std::shared_ptr<Lazy<int>>> cells(static_cast<std::size_t>(size));
    std::atomic<int> started{0};
    for (int k = 0; k < size; ++k) {
      cells[static_cast<std::size_t>(k)] = std::make_shared<Lazy<int>>(Lazy<int>::deferred([&, k] {
        ++started;
        while (started.load() < size) std::this_thread::yield();
        return cells[static_cast<std::size_t>((k + 1) % size)]->get() + 1;
      }));
    }
    std::atomic<int> argumentErrors{0};
    std::vector<std::thread> threads;
    for (int k = 0; k < size; ++k) {
      threads.emplace_back([&, k] {
        try {
          cells[static_cast<std::size_t>(k)]->get();
        } catch (const ArgumentError&) {
          ++argumentErrors;
        }
      });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(argumentErrors.load(), size);
  }
}

TEST(Lazy, ThreadsWaitingForOneBuilderAreNotACycle) {
  // Two cells built on two threads where one waits for the other (no cycle): both succeed.
  std::atomic<bool> innerStarted{false};
  auto inner = Lazy<int>::deferred([&] {
    innerStarted = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return 1;
  });
  auto outer = Lazy<int>::deferred([&] {
    while (!innerStarted) std::this_thread::yield();
    return inner.get() + 1;
  });
  std::thread first([&] { EXPECT_EQ(inner.get(), 1); });
  std::thread second([&] { EXPECT_EQ(outer.get(), 2); });
  first.join();
  second.join();
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
