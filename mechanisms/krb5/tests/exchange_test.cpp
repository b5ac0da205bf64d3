// Context establishment through the framework with the Kerberos OID: a full
// mutual exchange, the target name, and tokens that must be refused.
#include "harness.hpp"

namespace qxkrb5_tests {
namespace {

using Exchanges = Framework;

constexpr gssp_status kDefectiveToken = 0x00090000u;

TEST_F(Exchanges, CompletesWithMutualAuthenticationAndNamesTheClient) {
    Exchange x(krb5_);
    gssp_status minor = 0;
    // The caller asks for nothing; the adapter asks for mutual
    // authentication and protection on every context.
    ASSERT_EQ(x.Init(&minor), GSSP_S_CONTINUE_NEEDED) << MinorText(minor);
    ASSERT_GT(x.clientToken.desc.length, 0u);
    ASSERT_EQ(x.Accept(&minor), GSSP_S_COMPLETE) << MinorText(minor);
    ASSERT_GT(x.serverToken.desc.length, 0u) << "mutual authentication answers the client";
    ASSERT_EQ(x.Init(&minor), GSSP_S_COMPLETE) << MinorText(minor);
    EXPECT_EQ(x.clientToken.desc.length, 0u);

    EXPECT_EQ(x.clientFlags & kMutualIntegConf, kMutualIntegConf);
    EXPECT_EQ(x.serverFlags & kMutualIntegConf, kMutualIntegConf);
    EXPECT_TRUE(SameOid(x.clientMech, krb5_));
    EXPECT_TRUE(SameOid(x.serverMech, krb5_));
    ASSERT_NE(x.source.name, nullptr);
    EXPECT_TRUE(SameOid(x.source.name->name_type, GSS_C_NT_QXAT_MECHDATA_UTF8));
    EXPECT_EQ(Text(x.source.name->text), Realm().user);

    for (qxgss_ctx_t side : {x.client, x.server}) {
        Name source;
        gssp_OID mech = nullptr;
        uint32_t flags = 0;
        int open = 0;
        ASSERT_EQ(qxgss_inquire_context(&minor, side, &source.name, &mech, &flags, &open), GSSP_S_COMPLETE);
        EXPECT_EQ(open, 1);
        EXPECT_TRUE(SameOid(mech, krb5_));
        ASSERT_NE(source.name, nullptr);
        EXPECT_EQ(Text(source.name->text), Realm().user);
    }
}

gssp_name_desc HostService(const std::string& text) {
    return {GSS_C_NT_HOSTBASED_SERVICE, {text.size(), const_cast<char*>(text.data())}};
}

TEST_F(Exchanges, TargetNameFromTheCaller) {
    const std::string known = "host@localhost";
    gssp_name_desc target = HostService(known);
    Exchange x(krb5_);
    EXPECT_TRUE(x.Run(nullptr, nullptr, &target));

    // A service the realm does not know: the first leg fails with the
    // library's status and no token.
    const std::string unknown = "ldap@localhost";
    gssp_name_desc missing = HostService(unknown);
    Exchange y(krb5_);
    gssp_status minor = 0;
    const gssp_status major = y.Init(&minor, nullptr, &missing);
    EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << major;
    EXPECT_NE(minor, 0u);
    EXPECT_NE(MinorText(minor).find("not found"), std::string::npos) << MinorText(minor);
    EXPECT_EQ(y.clientToken.desc.length, 0u);
    EXPECT_EQ(qxgss_context_handle(y.client), nullptr);
}

// Each side is given a damaged copy of the token the other sent.
TEST_F(Exchanges, DamagedTokensAreRefused) {
    struct Case {
        const char* what;
        bool serverToken;  // damage the acceptor's answer instead of the initiator's token
        std::string (*damage)(std::string);
    };
    const Case cases[] = {
        {"client token, byte in the middle changed", false,
         [](std::string t) { t[t.size() / 2] ^= 0x5A; return t; }},
        {"client token, last byte changed", false, [](std::string t) { t.back() ^= 0x01; return t; }},
        {"client token cut in half", false, [](std::string t) { return t.substr(0, t.size() / 2); }},
        {"client token, wrong outer tag", false, [](std::string t) { t[0] = 0x30; return t; }},
        {"not a token at all", false, [](std::string) { return std::string("garbage that is no token"); }},
        {"server answer, byte in the middle changed", true,
         [](std::string t) { t[t.size() / 2] ^= 0x5A; return t; }},
        {"server answer cut in half", true, [](std::string t) { return t.substr(0, t.size() / 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Exchange x(krb5_);
        gssp_status minor = 0;
        ASSERT_EQ(x.Init(&minor), GSSP_S_CONTINUE_NEEDED);
        gssp_status major = 0;
        if (!c.serverToken) {
            x.clientToken.Set(c.damage(x.clientToken.text()));
            major = x.Accept(&minor);
            EXPECT_EQ(x.source.name, nullptr);
        } else {
            ASSERT_EQ(x.Accept(&minor), GSSP_S_COMPLETE);
            x.serverToken.Set(c.damage(x.serverToken.text()));
            major = x.Init(&minor);
            EXPECT_EQ(x.clientToken.desc.length, 0u);
        }
        EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << major;
        // A token the library cannot even place is defective and carries no
        // minor status; any other refusal says why in the minor status.
        if ((major & 0xFFFF0000u) != kDefectiveToken) {
            EXPECT_NE(minor, 0u) << std::hex << major;
            EXPECT_FALSE(MinorText(minor).empty());
        }
    }
}

TEST_F(Exchanges, ReplayedFirstTokenIsRefused) {
    Exchange first(krb5_);
    gssp_status minor = 0;
    ASSERT_EQ(first.Init(&minor), GSSP_S_CONTINUE_NEEDED);
    const std::string token = first.clientToken.text();
    ASSERT_EQ(first.Accept(&minor), GSSP_S_COMPLETE) << MinorText(minor);

    Exchange replay(krb5_);
    replay.clientToken.Set(token);
    const gssp_status major = replay.Accept(&minor);
    EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << major;
    EXPECT_NE(minor, 0u);
}

// What the adapter refuses before the library sees anything.
TEST_F(Exchanges, ArgumentsTheAdapterRefuses) {
    const gssp_mech_info& m = Mech("QXKRB5");
    gssp_status minor = 0;
    gssp_ctx_id_t context = nullptr;
    gssp_buffer_desc empty{};
    gssp_buffer_desc out{};

    // Channel bindings cannot be carried: refused rather than left unbound.
    auto* bindings = reinterpret_cast<gssp_channel_bindings_t>(&empty);
    EXPECT_EQ(m.init_sec_context(&minor, nullptr, &context, nullptr, krb5_, 0, 0, bindings, &empty, nullptr, &out,
                                 nullptr, nullptr),
              0x00040000u);
    EXPECT_EQ(context, nullptr);

    // Another mechanism's OID.
    EXPECT_EQ(m.init_sec_context(&minor, nullptr, &context, nullptr, OidOf("TESTA"), 0, 0, nullptr, &empty, nullptr,
                                 &out, nullptr, nullptr),
              GSSP_S_BAD_MECH);

    // A length without bytes, and an empty first token for the acceptor.
    gssp_buffer_desc broken = {16, nullptr};
    EXPECT_TRUE(GSSP_ERROR(m.accept_sec_context(&minor, &context, nullptr, &broken, nullptr, nullptr, nullptr, &out,
                                                nullptr, nullptr, nullptr)));
    EXPECT_TRUE(GSSP_ERROR(m.accept_sec_context(&minor, &context, nullptr, &empty, nullptr, nullptr, nullptr, &out,
                                                nullptr, nullptr, nullptr)));
    EXPECT_EQ(minor, QXGSS_MINOR_INVALID_ARGUMENT);
    EXPECT_EQ(context, nullptr);
    EXPECT_EQ(out.value, nullptr);

    // Deleting nothing.
    EXPECT_EQ(m.delete_sec_context(&minor, &context, nullptr), GSSP_S_NO_CONTEXT);
}

}  // namespace
}  // namespace qxkrb5_tests
