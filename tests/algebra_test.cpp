#include "quellix/algebra.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quellix {
namespace {

// A non-commutative, non-idempotent monoid shows the nesting and the repetition count.
struct Text {
  std::string s;
  friend Text operator+(const Text& a, const Text& b) { return {"(" + a.s + b.s + ")"}; }
};

TEST(Algebra, SequencesNestToTheRight) {
  std::vector<Text> xs{{"a"}, {"b"}, {"c"}};
  EXPECT_EQ(mconcat(xs).s, "(a(b(c)))");
  EXPECT_EQ(mconcat(std::vector<Text>{}).s, "");
  EXPECT_EQ(sconcat(Text{"h"}, xs).s, "(h(a(bc)))");
  EXPECT_EQ(sconcat(Text{"h"}, std::vector<Text>{}).s, "h");
}

struct Count {
  long n = 0;
  friend Count operator+(const Count& a, const Count& b) { return {a.n + b.n}; }
};

TEST(Algebra, StimesRepeatsAndRejectsNegativeCounts) {
  EXPECT_EQ(stimes(1, Count{3}).n, 3);
  EXPECT_EQ(stimes(5, Count{3}).n, 15);
  EXPECT_EQ(stimes(1'000'000'007, Count{1}).n, 1'000'000'007);
  EXPECT_EQ(stimes(0, Count{3}).n, 0);
  EXPECT_THROW(stimes(-1, Count{3}), ArgumentError);
}

}  // namespace
}  // namespace quellix
