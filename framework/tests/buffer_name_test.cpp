#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "qxgss_services.h"

namespace {

std::string Text(const gssp_buffer_desc& b) { return std::string(static_cast<const char*>(b.value), b.length); }

TEST(Buffers, DuplicateAndRelease) {
    gssp_status minor = 0;
    char bytes[] = "secret";
    gssp_buffer_desc source{6, bytes};
    gssp_buffer_desc copy{};
    ASSERT_EQ(gssp_duplicate_buffer(&minor, &source, &copy), 0u);
    EXPECT_EQ(Text(copy), "secret");
    EXPECT_NE(copy.value, source.value);
    EXPECT_EQ(gssp_release_secure_buffer(&minor, &copy), 0u);
    EXPECT_EQ(copy.value, nullptr);
    EXPECT_EQ(copy.length, 0u);

    gssp_buffer_desc empty{0, nullptr};
    ASSERT_EQ(gssp_duplicate_buffer(&minor, &empty, &copy), 0u);
    EXPECT_EQ(copy.value, nullptr);
    // A length without bytes is refused.
    gssp_buffer_desc broken{4, nullptr};
    EXPECT_TRUE(GSSP_ERROR(gssp_duplicate_buffer(&minor, &broken, &copy)));
    EXPECT_TRUE(GSSP_ERROR(gssp_release_buffer(&minor, nullptr)));
    // The plug-in's own malloc'd bytes go back through the secure release too.
    gssp_buffer_desc own{3, std::malloc(3)};
    std::memcpy(own.value, "abc", 3);
    EXPECT_EQ(gssp_release_secure_buffer(&minor, &own), 0u);
}

TEST(Names, DuplicateOwnsItsText) {
    gssp_status minor = 0;
    char text[] = "alice";
    gssp_name_desc name{GSS_C_NT_QXAT_MECHDATA, {5, text}};
    gssp_name_t copy = nullptr;
    ASSERT_EQ(gssp_duplicate_name(&minor, &name, &copy), 0u);
    EXPECT_EQ(copy->name_type, GSS_C_NT_QXAT_MECHDATA);
    EXPECT_EQ(Text(copy->text), "alice");
    EXPECT_NE(copy->text.value, name.text.value);
    EXPECT_EQ(gssp_release_name(&minor, &copy), 0u);
    EXPECT_EQ(copy, nullptr);
    ASSERT_EQ(gssp_duplicate_name(&minor, nullptr, &copy), 0u);
    EXPECT_EQ(copy, nullptr);
}

TEST(Names, ConvertToUtf8) {
    struct Case {
        gssp_OID type;
        std::string bytes;
        bool ok;
        std::string utf8;
    };
    const std::u16string u16 = u"auth\u00e9\U0001F600";
    const std::u32string u32 = U"x\u00e9\U0001F600";
    const char16_t lone[] = {u'a', 0xD800};
    const char32_t beyond[] = {0x110000};
    const Case cases[] = {
        {GSS_C_NT_QXAT_MECHDATA_UTF16, std::string(reinterpret_cast<const char*>(u16.data()), u16.size() * 2), true,
         "auth\xc3\xa9\xf0\x9f\x98\x80"},
        {GSS_C_NT_QXAT_MECHDATA_UTF32, std::string(reinterpret_cast<const char*>(u32.data()), u32.size() * 4), true,
         "x\xc3\xa9\xf0\x9f\x98\x80"},
        {GSS_C_NT_QXAT_MECHDATA, "authcid=bob", true, "authcid=bob"},
        {GSS_C_NT_QXAT_MECHDATA_UTF16, std::string(reinterpret_cast<const char*>(lone), sizeof lone), false, ""},
        {GSS_C_NT_QXAT_MECHDATA_UTF16, "odd", false, ""},
        {GSS_C_NT_QXAT_MECHDATA_UTF32, std::string(reinterpret_cast<const char*>(beyond), sizeof beyond), false, ""},
    };
    const uint32_t request[3] = {0, 1, 0};
    for (const Case& c : cases) {
        std::string bytes = c.bytes;
        gssp_name_desc name{c.type, {bytes.size(), bytes.empty() ? nullptr : &bytes[0]}};
        gssp_buffer_desc out{};
        gssp_status minor = 0;
        const gssp_status major = gssp_convertname_utf(&minor, &name, &out, request);
        if (c.ok) {
            ASSERT_EQ(major, 0u);
            EXPECT_EQ(Text(out), c.utf8);
            EXPECT_EQ(static_cast<const char*>(out.value)[out.length], '\0');  // also a C string
        } else {
            EXPECT_TRUE(GSSP_ERROR(major));
            EXPECT_EQ(out.value, nullptr);
        }
        gssp_release_secure_buffer(nullptr, &out);
    }
}

}  // namespace
