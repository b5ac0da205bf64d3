#include <string>

#include <gtest/gtest.h>

#include "qxgss_services.h"

namespace {

std::string Part(qxat_item* item) { return item ? std::string(item->text, item->length) : "<none>"; }

TEST(LogonData, PrincipalSyntax) {
    struct Case {
        const char* text;
        int count;  // -1: not logon data
        const char* user;
        const char* realm;
        const char* password;
    } cases[] = {
        {"alice", 1, "alice", "<none>", "<none>"},
        {"alice@EXAMPLE.COM", 1, "alice", "EXAMPLE.COM", "<none>"},
        {"alice@EXAMPLE.COM:s3cr:t@x", 1, "alice", "EXAMPLE.COM", "s3cr:t@x"},
        {"alice:pw", 1, "alice", "<none>", "pw"},
        {"a\\@b@R", 1, "a@b", "R", "<none>"},
        {"a\\;b;c", 2, "a;b", "<none>", "<none>"},
        {"@REALM", 1, "<none>", "REALM", "<none>"},
        {"x\\\\", 1, "x\\", "<none>", "<none>"},
        {"", -1, "", "", ""},
        {"a;;b", -1, "", "", ""},
        {"a;", -1, "", "", ""},
        {"trailing\\", -1, "", "", ""},
    };
    for (const Case& c : cases) {
        qxat_handle h = qxat_parse(c.text, 7);
        if (c.count < 0) {
            EXPECT_EQ(h, nullptr) << c.text;
            continue;
        }
        ASSERT_NE(h, nullptr) << c.text;
        EXPECT_EQ(qxat_get_count(h), static_cast<uint32_t>(c.count)) << c.text;
        EXPECT_EQ(Part(qxat_get_user(h, 0)), c.user) << c.text;
        EXPECT_EQ(Part(qxat_get_realm(h, 0)), c.realm) << c.text;
        EXPECT_EQ(Part(qxat_get_password(h, 0)), c.password) << c.text;
        EXPECT_EQ(qxat_get_user(h, 5), nullptr);
        qxat_free(h);
    }
    EXPECT_EQ(qxat_get_count(nullptr), 0u);
    qxat_free(nullptr);
}

TEST(LogonData, UnescapeInPlace) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"p\\@ss\\\\w", "p@ss\\w"}, {"plain", "plain"}, {"end\\", "end\\"}, {"", ""}};
    for (const Case& c : cases) {
        std::string text = c.in;
        qxat_item item{text.empty() ? nullptr : &text[0], static_cast<uint32_t>(text.size())};
        EXPECT_EQ(qxat_unescape(&item), 0x21000064u);
        EXPECT_EQ(item.text ? std::string(item.text, item.length) : std::string(), c.out) << c.in;
    }
}

}  // namespace
