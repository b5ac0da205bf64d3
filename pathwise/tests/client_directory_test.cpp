#include "client_directory.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform.h"
#include "utf.h"
#include "wallet_exception.h"

namespace Corvane_QxWallet {
namespace {

const std::string S(1, static_cast<char>(platform::kSeparator));

std::vector<char> bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string located(const std::string& content, const std::string& moduleDirectory) {
    return utf16ToUtf8(clientDirectoryFrom(bytes(content), utf8ToUtf16(moduleDirectory)));
}

TEST(ClientDirectory, AbsoluteAndRelativeForms) {
    const struct {
        const char* content;
        bool absolute;
    } cases[] = {
        {"C:\\Apps\\Client", true}, {"c:", true}, {"z:rel", true}, {"\\\\server\\share", true},
        {"/opt/client", true},      {"C", false}, {"..\\Client", false}, {"1:\\x", false},
        {"\xc3\xa9:\\x", false},    {" C:\\x", false}, {"Client", false}, {":\\x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isAbsoluteDirectory(utf8ToUtf16(c.content)), c.absolute) << c.content;
}

TEST(ClientDirectory, ResultIsTheAbsoluteFormWithOneSeparatorAppended) {
    const std::string mod = "D:" + S + "Apps" + S + "Bin" + S;
    const struct {
        std::string content;
        std::string expected;
    } cases[] = {
        {"C:\\Apps\\Client", "C:\\Apps\\Client" + S},
        {"C:\\Apps\\Client\\", "C:\\Apps\\Client\\" + S},
        {"..\\Client", mod + "..\\Client" + S},
        {"/opt/client", "/opt/client" + S},
        {"C:", "C:" + S},
        {"C", mod + "C" + S},
        {"C:\\x\r\n", "C:\\x\r\n" + S},
        {"\xef\xbb\xbf" "C:\\x", mod + "\xef\xbb\xbf" "C:\\x" + S},
        {" \t", mod + " \t" + S},
        {"\xe4\xb8\xad\xf0\x9f\x98\x80", mod + "\xe4\xb8\xad\xf0\x9f\x98\x80" + S},
    };
    for (const auto& c : cases) EXPECT_EQ(located(c.content, mod), c.expected) << c.content;
}

TEST(ClientDirectory, EmptyAndMalformedContentFail) {
    const std::string mod = "/inst/bin" + S;
    try {
        located("", mod);
        ADD_FAILURE() << "empty content accepted";
    } catch (const QxWalletException& e) {
        EXPECT_EQ(std::string(e.what()), "The qxclientdir file (in \"" + mod + "\") is empty.");
    }
    const struct {
        const char* content;
        const char* what;
    } cases[] = {{"abc\xff", "Invalid UTF-8"}, {"abc\xe2\x82", "Not enough space"},
                 {"\xf4\x90\x80\x80", "Invalid code point"}, {"\xed\xa0\x80", "Invalid code point"}};
    for (const auto& c : cases) {
        try {
            located(c.content, mod);
            ADD_FAILURE() << "malformed content accepted";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), c.what);
        }
    }
}

TEST(ClientDirectory, ModuleDirectoryEndsAtTheLastSeparator) {
    EXPECT_EQ(directoryOf(utf8ToUtf16("a" + S + "b" + S + "prog")), utf8ToUtf16("a" + S + "b" + S));
    EXPECT_EQ(directoryOf(u"prog"), u"");
    const std::u16string self = moduleFileName();
    const std::u16string dir = directoryOf(self);
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(self.compare(0, dir.size(), dir), 0);
    EXPECT_TRUE(isAbsoluteDirectory(dir));
}

// A module name of a given length, cut to the buffer as Windows cuts it.
TEST(ClientDirectory, ModuleNameBufferGrowsUntilTheNameFits) {
    const struct {
        std::size_t length;
        int calls;
    } cases[] = {{1, 1}, {998, 1}, {999, 1}, {1000, 2}, {1999, 2}, {2000, 3}, {2500, 3}};
    for (const auto& c : cases) {
        const std::u16string full(c.length, u'm');
        int calls = 0;
        std::u16string name;
        const bool ok = readGrowingName(
            [&](char16_t* buffer, std::uint32_t size) -> std::uint32_t {
                ++calls;
                if (full.size() >= size) {  // cut: size - 1 units and a terminator
                    full.copy(buffer, size - 1);
                    buffer[size - 1] = 0;
                    return size;
                }
                full.copy(buffer, full.size());
                buffer[full.size()] = 0;
                return static_cast<std::uint32_t>(full.size());
            },
            name);
        EXPECT_TRUE(ok);
        EXPECT_EQ(name, full) << c.length;
        EXPECT_EQ(calls, c.calls) << c.length;
    }
    std::u16string name = u"old";
    EXPECT_FALSE(readGrowingName([](char16_t*, std::uint32_t) -> std::uint32_t { return 0; }, name));
    EXPECT_TRUE(name.empty());
}

// A source of size bytes that counts the reads it serves.
struct CountingSource {
    std::size_t size;
    std::size_t offset = 0;
    int reads = 0;
    std::uint32_t failOnRead = 0;  // 1-based read that fails, 0 for none

    std::uint32_t operator()(char* buffer, std::uint32_t want, std::uint32_t& got) {
        ++reads;
        if (failOnRead != 0 && static_cast<std::uint32_t>(reads) == failOnRead) return 5;
        got = static_cast<std::uint32_t>(std::min<std::size_t>(want, size - offset));
        for (std::uint32_t i = 0; i < got; ++i) buffer[i] = static_cast<char>('a' + (offset + i) % 26);
        offset += got;
        return 0;
    }
};

TEST(ClientDirectory, ReadsInChunksOfAThousandBytes) {
    const struct {
        std::size_t size;
        int reads;
    } cases[] = {{0, 1}, {1, 1}, {999, 1}, {1000, 2}, {1001, 2}, {2500, 3}, {3000, 4}};
    for (const auto& c : cases) {
        CountingSource source{c.size};
        std::vector<char> content;
        EXPECT_EQ(readInChunks(std::ref(source), content), 0u);
        EXPECT_EQ(content.size(), c.size);
        EXPECT_EQ(source.reads, c.reads) << c.size;
        if (c.size > 0) {
            EXPECT_EQ(content.back(), static_cast<char>('a' + (c.size - 1) % 26));
        }
    }
}

TEST(ClientDirectory, AFailedReadReportsItsCode) {
    CountingSource source{2500};
    source.failOnRead = 2;
    std::vector<char> content;
    EXPECT_EQ(readInChunks(std::ref(source), content), 5u);
    EXPECT_EQ(content.size(), 1000u);
}

TEST(ClientDirectory, AReadCountBeyondTheBufferIsNotTrusted) {
    std::vector<char> content;
    auto liar = [](char*, std::uint32_t, std::uint32_t& got) -> std::uint32_t {
        got = 5000;
        return 0;
    };
    int calls = 0;
    auto once = [&](char* b, std::uint32_t n, std::uint32_t& got) -> std::uint32_t {
        if (++calls > 1) {
            got = 0;
            return 0;
        }
        return liar(b, n, got);
    };
    EXPECT_EQ(readInChunks(once, content), 0u);
    EXPECT_EQ(content.size(), 1000u);
}

}  // namespace
}  // namespace Corvane_QxWallet
