#include "format_text.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace Corvane_QxWallet {
namespace {

struct FormatCase {
    const char* format;
    std::initializer_list<FormatValue> values;
    const char* expected;
};

TEST(FormatText, DirectivesAndNonDirectives) {
    const std::string withDirective = "50%d done";
    const FormatCase cases[] = {
        {"plain text", {}, "plain text"},
        {"100%", {}, "100%"},
        {"%q", {}, "%q"},
        {"%%s", {}, "%s"},
        {"%%", {}, "%"},
        {"a%%%s", {"b"}, "a%b"},
        {"[%s]", {withDirective}, "[50%d done]"},
        {"%s and %s", {"\xc3\xa9t\xc3\xa9", ""}, "\xc3\xa9t\xc3\xa9 and "},
        {"%X", {255}, "FF"},
        {"%X", {std::uint32_t{0}}, "0"},
        {"%X", {std::uint32_t{0xDEADBEEF}}, "DEADBEEF"},
        {"%u", {std::uint32_t{4294967295u}}, "4294967295"},
        {"%d", {std::uint32_t{4294967295u}}, "-1"},
        {"%d", {-2147483647 - 1}, "-2147483648"},
        {"%d", {1234567}, "1234567"},
        {"%ld", {-5}, "-5"},
        {"%lx", {}, "%lx"},
        {"%l", {}, "%l"},
        {"%\xe2\x82\xac %s", {"x"}, "%\xe2\x82\xac x"},
        {"code %u (%X)", {std::uint32_t{317}, std::uint32_t{317}}, "code 317 (13D)"},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(formatText(c.format, c.values), c.expected) << c.format;
}

TEST(FormatText, MalformedUtf8RaisesUtfcppTexts) {
    struct BadCase {
        std::string format;
        const char* value;
        const char* what;
    };
    const BadCase cases[] = {
        {"bad \xff", nullptr, "Invalid UTF-8"},
        {"cut \xe2\x82", nullptr, "Not enough space"},
        {"big \xf4\x90\x80\x80", nullptr, "Invalid code point"},
        {"%s", "\x80", "Invalid UTF-8"},
        {"%s", "\xc3", "Not enough space"},
    };
    for (const BadCase& c : cases) {
        try {
            if (c.value)
                formatText(c.format, {c.value});
            else
                formatText(c.format);
            ADD_FAILURE() << "no exception for " << c.format;
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), c.what) << c.format;
        }
    }
}

TEST(FormatText, ValuesThatDoNotMatchAreRefused) {
    EXPECT_THROW(formatText("%s"), std::invalid_argument);
    EXPECT_THROW(formatText("%d %d", {1}), std::invalid_argument);
    EXPECT_THROW(formatText("%s", {7}), std::invalid_argument);
    EXPECT_THROW(formatText("%u", {"text"}), std::invalid_argument);
    EXPECT_THROW(formatText("%s", {static_cast<const char*>(nullptr)}), std::invalid_argument);
}

}  // namespace
}  // namespace Corvane_QxWallet
