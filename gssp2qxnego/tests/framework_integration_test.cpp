// The plug-in library as the framework loads it, over the real framework
// stand-in: the logon parser hands principals to the framework's parser,
// display_status finds its own OID through the mechanism table, and the
// mechanism-info records carry the framework's names and encodings.
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "gssp2qxnego.h"
#include "qxgss/framework.hpp"

namespace {

class PluginOverFramework : public ::testing::Test {
protected:
    void SetUp() override {
        qxgss::ResetFramework();
        qxgss::MechanismDefinition nego;
        nego.name = "QXNEGO";
        nego.oid = "1.3.6.1.4.1.61211.2.1";
        std::string error;
        ASSERT_TRUE(qxgss::AddMechanism(nego, gssp_mech_info{}, nullptr, &error)) << error;
    }
    void TearDown() override { qxgss::ResetFramework(); }
};

std::string Take(char*& text) {
    std::string out = text ? text : "<none>";
    std::free(text);
    text = nullptr;
    return out;
}

TEST_F(PluginOverFramework, LogonPrincipalThroughTheFrameworkParser) {
    struct Case {
        const char* logon;
        gssp_status major;
        gssp_status minor;
        const char* authcid;
        const char* password;
    } cases[] = {
        {"alice@EXAMPLE.COM:pw user=bob", 0, 0x21000064u, "alice@EXAMPLE.COM", "pw"},
        {"a\\@b", 0, 0x21000064u, "a@b", "<none>"},
        {"one;two", GSSP_S_FAILURE, 0xE300042Au, "<none>", "<none>"},  // more than one principal
        {"@REALM", GSSP_S_FAILURE, 0xE300042Au, "<none>", "<none>"},   // no user
    };
    for (const Case& c : cases) {
        gssp_status minor = 0;
        char *authcid = nullptr, *password = nullptr;
        const gssp_status major = qxat_parse_logon(&minor, c.logon, nullptr, &authcid, &password, nullptr, nullptr,
                                                   nullptr, nullptr, nullptr, nullptr, 7);
        EXPECT_EQ(major, c.major) << c.logon;
        EXPECT_EQ(minor, c.minor) << c.logon;
        EXPECT_EQ(Take(authcid), c.authcid) << c.logon;
        EXPECT_EQ(Take(password), c.password) << c.logon;
    }
}

TEST_F(PluginOverFramework, DisplayStatusFindsItsOwnOid) {
    gssp_OID own = nullptr;
    ASSERT_EQ(gssp_mechstr_to_oid(nullptr, "QXNEGO", &own), 0u);
    gssp_status minor = 0;
    uint32_t context = 5;
    gssp_buffer_desc text{};
    ASSERT_EQ(QXNEGO_display_status(&minor, 0xE3000424u, GSSP_C_MECH_CODE, own, &context, &text), 0u);
    EXPECT_EQ(std::string(static_cast<char*>(text.value), text.length),
              "Syntax error in the user's principal name (mechdata).");
    EXPECT_EQ(context, 0u);
    gssp_release_buffer(nullptr, &text);
    unsigned char other[] = {0x2a, 0x03};
    gssp_OID_desc foreign{2, other};
    EXPECT_EQ(QXNEGO_display_status(&minor, 0xE3000424u, GSSP_C_MECH_CODE, &foreign, &context, &text), GSSP_S_BAD_MECH);
    EXPECT_EQ(minor, 0xE30003F4u);
}

}  // namespace
