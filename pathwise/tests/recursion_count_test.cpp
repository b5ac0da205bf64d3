#include "recursion_count.h"

#include <gtest/gtest.h>
#include <limits>

namespace Corvane_QxWallet {
namespace {

constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
using Words = std::vector<std::size_t>;

TEST(RecursionCount, CountsUpAndDownFromZero) {
    RecursionCount count;
    EXPECT_TRUE(count.isZero());
    count.increment();
    EXPECT_TRUE(count.isOne());
    count.increment();
    EXPECT_TRUE(count.isGreaterThanOne());
    EXPECT_EQ(count.words(), Words{2});
    count.decrement();
    count.decrement();
    EXPECT_TRUE(count.isZero());
    EXPECT_TRUE(count.words().empty());
    count.decrement();  // zero stays zero
    EXPECT_TRUE(count.isZero());
}

TEST(RecursionCount, CarriesAndBorrowsAcrossWordBoundaries) {
    RecursionCount count(Words{kMax - 1});
    count.increment();
    EXPECT_EQ(count.words(), Words{kMax});
    count.increment();
    EXPECT_EQ(count.words(), (Words{0, 1}));
    EXPECT_TRUE(count.isGreaterThanOne());
    count.increment();
    EXPECT_EQ(count.words(), (Words{1, 1}));
    count.decrement();
    count.decrement();
    EXPECT_EQ(count.words(), Words{kMax});

    RecursionCount twoFull(Words{kMax, kMax});
    twoFull.increment();
    EXPECT_EQ(twoFull.words(), (Words{0, 0, 1}));
    twoFull.decrement();
    EXPECT_EQ(twoFull.words(), (Words{kMax, kMax}));
}

TEST(RecursionCount, OneIsOnlyASingleWordOfOne) {
    EXPECT_FALSE(RecursionCount(Words{1, 1}).isOne());
    EXPECT_TRUE(RecursionCount(Words{1}).isOne());
    RecursionCount highWordOnly(Words{0, 1});
    highWordOnly.decrement();
    EXPECT_EQ(highWordOnly.words(), Words{kMax});
}

}  // namespace
}  // namespace Corvane_QxWallet
