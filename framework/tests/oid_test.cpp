#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qxgss_services.h"

namespace {

std::string Hex(const unsigned char* p, std::size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

TEST(OidText, DottedToDerTable) {
    struct Case {
        const char* dotted;
        const char* der;  // empty: not an OID
    } cases[] = {
        {"1.2.840.113554.1.2.2", "06092a864886f712010202"},
        {"1.3.6.1.5.5.2", "06062b0601050502"},
        {"2.999.3", "0603883703"},
        {"0.39", "060127"},
        {"1.2.4294967295", "06062a8fffffff7f"},
        {"1.40", ""},
        {"3.1", ""},
        {"1", ""},
        {"", ""},
        {"1..2", ""},
        {"1.2.", ""},
        {"1.2.x", ""},
        {"1.2.4294967296", ""},
        {" 1.2", ""},
    };
    for (const Case& c : cases) {
        gssp_status minor = 0;
        uint32_t length = 99;
        unsigned char* der = nullptr;
        const gssp_status major = gssp_oidstr_to_oidder(&minor, 0, 0, c.dotted, &length, &der);
        if (*c.der) {
            ASSERT_EQ(major, 0u) << c.dotted;
            EXPECT_EQ(minor, 0x21000064u);
            EXPECT_EQ(Hex(der, length), c.der) << c.dotted;
        } else {
            EXPECT_EQ(major, GSSP_S_FAILURE) << c.dotted;
            EXPECT_EQ(der, nullptr);
            EXPECT_EQ(length, 0u);
        }
        std::free(der);
    }
}

TEST(OidCompare, LengthAndBytes) {
    unsigned char a[] = {1, 2, 3}, b[] = {1, 2, 3}, c[] = {1, 2, 4};
    gssp_OID_desc oa{3, a}, ob{3, b}, oc{3, c}, shorter{2, a};
    int result = -1;
    gssp_status minor = 0;
    EXPECT_EQ(gssp_compare_oids(&minor, &oa, &ob, &result), 0u);
    EXPECT_EQ(result, 0);
    gssp_compare_oids(&minor, &oa, &oc, &result);
    EXPECT_NE(result, 0);
    gssp_compare_oids(&minor, &oa, &shorter, &result);
    EXPECT_NE(result, 0);
    EXPECT_TRUE(GSSP_ERROR(gssp_compare_oids(&minor, nullptr, &ob, &result)));
}

TEST(OidSet, AddTestDuplicateRelease) {
    gssp_status minor = 0;
    gssp_OID_set set = nullptr;
    ASSERT_EQ(gssp_create_empty_oid_set(&minor, &set), 0u);
    ASSERT_EQ(gssp_add_oid_set_member(&minor, GSS_C_NT_QXAT_MECHDATA, &set), 0u);
    ASSERT_EQ(gssp_add_oid_set_member(&minor, GSS_C_NT_QXAT_MECHDATA, &set), 0u);  // once only
    ASSERT_EQ(gssp_add_oid_set_member(&minor, GSS_C_NT_QXAT_MECHDATA_UTF8, &set), 0u);
    EXPECT_EQ(set->count, 2u);
    int present = -1;
    gssp_test_oid_set_member(&minor, GSS_C_NT_QXAT_MECHDATA_UTF8, set, &present);
    EXPECT_EQ(present, 1);
    gssp_test_oid_set_member(&minor, GSS_C_NT_HOSTBASED_SERVICE, set, &present);
    EXPECT_EQ(present, 0);

    gssp_OID_set copy = nullptr;
    ASSERT_EQ(gssp_duplicate_oid_set(&minor, set, &copy), 0u);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->elements, set->elements);
    EXPECT_EQ(copy->count, 2u);
    EXPECT_EQ(gssp_release_oid_set(&minor, &set), 0u);
    EXPECT_EQ(set, nullptr);
    gssp_test_oid_set_member(&minor, GSS_C_NT_QXAT_MECHDATA, copy, &present);
    EXPECT_EQ(present, 1);  // the copy owns its bytes
    EXPECT_EQ(qxgss_release_oid_set(&minor, &copy), 0u);

    gssp_OID_set none = reinterpret_cast<gssp_OID_set>(1);
    EXPECT_EQ(gssp_duplicate_oid_set(&minor, nullptr, &none), 0u);
    EXPECT_EQ(none, nullptr);
}

TEST(NameTypes, AreDistinctFrameworkOids) {
    const gssp_OID types[] = {GSS_C_NT_QXAT_MECHDATA, GSS_C_NT_QXAT_MECHDATA_UTF8, GSS_C_NT_QXAT_MECHDATA_UTF16,
                              GSS_C_NT_QXAT_MECHDATA_UTF32, GSS_C_NT_HOSTBASED_SERVICE};
    for (std::size_t i = 0; i < 5; ++i) {
        for (std::size_t j = 0; j < 5; ++j) {
            int result = -1;
            gssp_compare_oids(nullptr, types[i], types[j], &result);
            EXPECT_EQ(result == 0, i == j) << i << " " << j;
        }
    }
    EXPECT_EQ(Hex(static_cast<unsigned char*>(GSS_C_NT_HOSTBASED_SERVICE->elements), GSS_C_NT_HOSTBASED_SERVICE->length),
              "2a864886f71201020104");
}

}  // namespace
