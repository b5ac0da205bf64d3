#include <cstdlib>

#include <gtest/gtest.h>

#include "qxgssconfig/cipher_suites.h"

namespace {

struct Row {
    uint32_t algorithmClass, algorithmId, parameterKind, parameterValue;
};
constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr Row kExpected[] = {
    {16, 2, 19, 1},       {16, 2, 20, 4},       {16, 2, 21, 128},     {16, 2, 21, 192}, {16, 2, 21, 256},
    {17, 4, kNone, kNone}, {17, 6, kNone, kNone}, {17, 7, kNone, kNone}, {18, 5, 22, 2048},
};

TEST(CipherSuites, FreshCopyOfTheNineRows) {
    uint32_t count = 0, status = 0;
    CipherSuite* first = nullptr;
    CipherSuite* second = nullptr;
    ASSERT_EQ(AlgGetCipherSuites(&count, &first, &status), 1);
    EXPECT_EQ(status, 0x240000C8u);
    ASSERT_EQ(count, 9u);
    for (uint32_t i = 0; i < count; ++i) {
        EXPECT_EQ(first[i].algorithmClass, kExpected[i].algorithmClass) << i;
        EXPECT_EQ(first[i].algorithmId, kExpected[i].algorithmId) << i;
        EXPECT_EQ(first[i].parameterKind, kExpected[i].parameterKind) << i;
        EXPECT_EQ(first[i].parameterValue, kExpected[i].parameterValue) << i;
    }
    ASSERT_EQ(AlgGetCipherSuites(&count, &second, nullptr), 1);  // no status wanted
    EXPECT_NE(first, second);
    first[0].algorithmId = 99;  // the caller owns its copy
    EXPECT_EQ(second[0].algorithmId, 2u);
    std::free(first);
    std::free(second);
}

TEST(CipherSuites, NullArgumentsWriteOnlyTheStatus) {
    uint32_t count = 1234, status = 0;
    CipherSuite* suites = nullptr;
    EXPECT_EQ(AlgGetCipherSuites(&count, nullptr, &status), 0);
    EXPECT_EQ(status, 0xE40000CCu);
    EXPECT_EQ(count, 1234u);
    status = 0;
    EXPECT_EQ(AlgGetCipherSuites(nullptr, &suites, &status), 0);
    EXPECT_EQ(status, 0xE40000CCu);
    EXPECT_EQ(suites, nullptr);
    EXPECT_EQ(AlgGetCipherSuites(nullptr, nullptr, nullptr), 0);
}

}  // namespace
