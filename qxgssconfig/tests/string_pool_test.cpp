#include <gtest/gtest.h>

#include "string_pool.hpp"

namespace qx {
namespace {

TEST(NormalizeText, BlanksAreTrimmedAndFolded) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"  two \t\r\n  words  ", "two words"},
        {" \t\n ", ""},
        {"", ""},
        {"single", "single"},
        {"\x01" "ctl\x1f" "chars\x20", "ctl chars"},
        // Bytes 0x80-0xFF are characters, not blanks.
        {" Z\xc3\xbcrich  Stra\xc3\x9f" "e ", "Z\xc3\xbcrich Stra\xc3\x9f" "e"},
        {"\xe9", "\xe9"},
    };
    for (const Case& c : cases) EXPECT_EQ(NormalizeText(c.in), c.out) << c.in;
}

TEST(StringPool, StoresEachStringOnceAtAStableOffset) {
    StringPool pool;
    EXPECT_EQ(pool.AddPoolString("   "), 0);  // blanks only: the empty string
    const auto a = pool.AddPoolString(" value  one ");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(pool.AddPoolString("value one"), a);
    const auto upper = pool.AddPoolString("VALUE ONE");  // case matters to the pool
    EXPECT_NE(upper, a);
    EXPECT_STREQ(pool.at(a), "value one");
    EXPECT_STREQ(pool.at(upper), "VALUE ONE");
    EXPECT_EQ(pool.stringCount(), 2u);
    EXPECT_EQ(pool.length(), 1u + 10u + 10u);
}

TEST(StringPool, GrowsPastItsFirstThousandBytes) {
    StringPool pool;
    std::vector<std::int32_t> offsets;
    for (int i = 0; i < 300; ++i) offsets.push_back(pool.AddPoolString(("string-" + std::to_string(i)).c_str()));
    ASSERT_GT(pool.length(), 1000u);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(pool.at(offsets[i]), "string-" + std::to_string(i));
        EXPECT_EQ(pool.AddPoolString(("string-" + std::to_string(i)).c_str()), offsets[i]);
    }
    EXPECT_EQ(pool.stringCount(), 300u);
    EXPECT_STREQ(pool.at(-1), "");
    EXPECT_STREQ(pool.at(static_cast<std::int32_t>(pool.length())), "");
}

}  // namespace
}  // namespace qx
