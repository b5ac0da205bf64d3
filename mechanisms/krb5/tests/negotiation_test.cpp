// QXNEGO over the Kerberos adapter and a test mechanism: single sign-on
// takes the Kerberos principal and the negotiation selects Kerberos.
#include "harness.hpp"

namespace qxkrb5_tests {
namespace {

using Negotiation = Framework;

TEST_F(Negotiation, SingleSignOnSelectsKerberos) {
    Exchange x(OidOf("QXNEGO"));
    ASSERT_TRUE(x.Run());
    for (qxgss_ctx_t side : {x.client, x.server}) {
        gssp_status minor = 0;
        gssp_OID mech = nullptr;
        int open = 0;
        ASSERT_EQ(qxgss_inquire_context(&minor, side, nullptr, &mech, nullptr, &open), GSSP_S_COMPLETE);
        EXPECT_TRUE(SameOid(mech, krb5_));
        EXPECT_EQ(open, 1);
    }
    ASSERT_NE(x.source.name, nullptr);
    EXPECT_EQ(Text(x.source.name->text), Realm().user);

    // Messages go through the selected Kerberos contexts both ways.
    for (bool fromClient : {true, false}) {
        gssp_status minor = 0;
        Buffer input("negotiated"), wrapped, unwrapped;
        ASSERT_EQ(qxgss_wrap(&minor, fromClient ? x.client : x.server, 1, &input.desc, nullptr, &wrapped.desc),
                  GSSP_S_COMPLETE);
        ASSERT_EQ(qxgss_unwrap(&minor, fromClient ? x.server : x.client, &wrapped.desc, &unwrapped.desc, nullptr),
                  GSSP_S_COMPLETE);
        EXPECT_EQ(unwrapped.text(), "negotiated");
    }
}

// Without a Kerberos ticket single sign-on has no mechanism left: the
// negotiation fails at once, with no token.
TEST_F(Negotiation, NoTicketLeavesNothingToNegotiate) {
    EnvOverride env("KRB5CCNAME", "FILE:" + Realm().directory + "/absent.ccache");
    Exchange x(OidOf("QXNEGO"));
    gssp_status minor = 0;
    const gssp_status major = x.Init(&minor);
    EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << major;
    EXPECT_EQ(x.clientToken.desc.length, 0u);
}

}  // namespace
}  // namespace qxkrb5_tests
