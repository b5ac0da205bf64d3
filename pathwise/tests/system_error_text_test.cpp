#include "system_error_text.h"

#include <cerrno>
#include <gtest/gtest.h>

#include "platform.h"

namespace Corvane_QxWallet {
namespace {

TEST(SystemErrorText, TrimsOnlyTrailingLineEnds) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"The file was not found.\r\n", "The file was not found."},
        {"Text. \r\n\r\n\n\r", "Text. "},
        {"Inner\r\nline\r\n", "Inner\r\nline"},
        {"\r\n\r\n", ""},
        {"", ""},
        {"No line end", "No line end"},
    };
    for (const auto& c : cases) EXPECT_EQ(trimLineEnds(c.in), c.out) << c.in;
}

// Error code 2: a missing file on both platforms.
TEST(SystemErrorText, DescribesAKnownCodeWithoutLineEnds) {
    const std::string text = systemErrorText(2);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_last_of("\r\n"), std::string::npos) << text;
#ifndef _WIN32
    EXPECT_EQ(text, "No such file or directory");
#endif
}

TEST(SystemErrorText, LastErrorTextReadsTheCurrentCode) {
    platform::setLastErrorCode(2);
    const std::string expected = systemErrorText(2);
    platform::setLastErrorCode(2);
    EXPECT_EQ(lastErrorText(), expected);
}

#ifdef _WIN32
// A code the system has no message for gives the fallback text, which names
// the code of the failed request, not the code asked about.
TEST(SystemErrorText, UnknownCodeGivesTheFallbackText) {
    const std::string text = systemErrorText(0x2000FFFFu);
    const std::string prefix = "Cannot format message (GetLastError() returned ";
    ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    EXPECT_EQ(text.find("536936447"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 2), ").");
}

// ERROR_BAD_EXE_FORMAT's text has an insert: no values are passed, so it
// stays as written instead of being filled from nowhere.
TEST(SystemErrorText, InsertsOfASystemTextStayAsWritten) {
    const std::string text = systemErrorText(193);
    EXPECT_NE(text.find("%1"), std::string::npos) << text;
    EXPECT_EQ(text.find_last_of("\r\n"), std::string::npos) << text;
}
#endif

}  // namespace
}  // namespace Corvane_QxWallet
