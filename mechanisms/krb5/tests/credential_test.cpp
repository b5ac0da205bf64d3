// Credentials: single sign-on from the default cache, logon data with a
// password, acceptor names, and the failures a caller must be able to tell.
#include <cstdio>
#include <fstream>

#include "harness.hpp"

namespace qxkrb5_tests {
namespace {

using Credentials = Framework;

gssp_name_desc NameOf(gssp_OID type, const std::string& text) {
    return {type, {text.size(), const_cast<char*>(text.data())}};
}

// An owner of a credential the adapter handed out directly.
struct MechCred {
    ~MechCred() {
        if (cred) Mech("QXKRB5").release_cred(nullptr, &cred);
    }
    gssp_cred_id_t cred = nullptr;
};

// The principal inquire_cred names for a credential.
std::string InquiredName(gssp_cred_id_t cred) {
    const gssp_mech_info& m = Mech("QXKRB5");
    gssp_status minor = 0;
    gssp_name_t name = nullptr;
    int usage = -1;
    gssp_OID_set mechs = nullptr;
    const gssp_status major = m.inquire_cred(&minor, cred, &name, nullptr, &usage, &mechs);
    if (GSSP_ERROR(major)) return "inquire_cred failed: " + MinorText(minor);
    std::string text = name ? Text(name->text) : "(no name)";
    if (!name || !SameOid(name->name_type, GSS_C_NT_QXAT_MECHDATA_UTF8)) text += " (not a UTF-8 framework name)";
    int present = 0;
    if (!mechs || gssp_test_oid_set_member(nullptr, OidOf("QXKRB5"), mechs, &present) != 0 || !present)
        text += " (Kerberos missing from the mechanisms)";
    m.release_name(nullptr, &name);
    gssp_release_oid_set(nullptr, &mechs);
    return text;
}

TEST_F(Credentials, SingleSignOnNamesTheCachePrincipal) {
    const gssp_mech_info& m = Mech("QXKRB5");
    gssp_status minor = 0;
    MechCred cred;
    gssp_OID_set actual = nullptr;
    ASSERT_EQ(m.acquire_cred(&minor, nullptr, GSSP_C_INDEFINITE, nullptr, GSSP_C_INITIATE, &cred.cred, &actual,
                             nullptr),
              GSSP_S_COMPLETE)
        << MinorText(minor);
    ASSERT_NE(actual, nullptr);
    EXPECT_EQ(actual->count, 1u);
    gssp_release_oid_set(nullptr, &actual);
    EXPECT_EQ(InquiredName(cred.cred), Realm().user);
    // No credential: the default one.
    EXPECT_EQ(InquiredName(nullptr), Realm().user);
}

TEST_F(Credentials, NoCredentialCacheFailsCleanly) {
    const std::string empty_file = Realm().directory + "/empty.ccache";
    std::ofstream(empty_file).close();
    for (const std::string& cache : {"FILE:" + empty_file, "FILE:" + Realm().directory + "/absent.ccache"}) {
        SCOPED_TRACE(cache);
        EnvOverride env("KRB5CCNAME", cache);
        Credential cred;
        gssp_status minor = 0;
        const gssp_status major = qxgss_acquire_cred(&minor, krb5_, nullptr, GSSP_C_INDEFINITE, GSSP_C_INITIATE,
                                                     &cred.cred);
        EXPECT_EQ(major, GSSP_S_NO_CRED) << std::hex << major;
        EXPECT_NE(minor, 0u);
        EXPECT_EQ(cred.cred, nullptr);
        const std::string text = MinorText(minor);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("Unknown code"), std::string::npos) << text;
        // Nor does an initiator get anywhere without a credential.
        Exchange x(krb5_);
        EXPECT_TRUE(GSSP_ERROR(x.Init(&minor)));
        EXPECT_EQ(x.clientToken.desc.length, 0u);
    }
    std::remove(empty_file.c_str());
}

// Logon data with a password gets a fresh credential from the KDC, without
// any cache.
TEST_F(Credentials, LogonDataWithPassword) {
    const std::string user = Realm().user;                     // alice@REALM
    const std::string bare = user.substr(0, user.find('@'));  // alice
    struct Case {
        std::string logon;
        bool ok;
    };
    const Case cases[] = {
        {user + ":" + Realm().password, true},
        {bare + ":" + Realm().password, true},
        {user + ":" + Realm().password + ";bob@ELSEWHERE:x", true},  // the first principal counts
        {user + ":wrong-password", false},
        {"nobody@" + Realm().realm + ":" + Realm().password, false},
    };
    EnvOverride env("KRB5CCNAME", "FILE:" + Realm().directory + "/absent.ccache");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logon);
        gssp_name_desc name = NameOf(GSS_C_NT_QXAT_MECHDATA_UTF8, c.logon);
        Credential cred;
        gssp_status minor = 0;
        const gssp_status major = qxgss_acquire_cred(&minor, krb5_, &name, GSSP_C_INDEFINITE, GSSP_C_INITIATE,
                                                     &cred.cred);
        if (!c.ok) {
            EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << major;
            EXPECT_NE(minor, 0u);
            EXPECT_EQ(cred.cred, nullptr);
            continue;
        }
        ASSERT_EQ(major, GSSP_S_COMPLETE) << MinorText(minor);
        Exchange x(krb5_);
        EXPECT_TRUE(x.Run(cred.cred));
        ASSERT_NE(x.source.name, nullptr);
        EXPECT_EQ(Text(x.source.name->text), user);
    }
}

TEST_F(Credentials, NamesByType) {
    const std::string user = Realm().user;
    std::u16string wide(user.begin(), user.end());
    const std::string wide_bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    struct Case {
        const char* what;
        gssp_OID type;
        std::string text;
        int usage;
        gssp_status major;  // 0: success
    };
    const Case cases[] = {
        {"logon data, user@REALM", GSS_C_NT_QXAT_MECHDATA_UTF8, user, GSSP_C_INITIATE, 0},
        {"logon data in UTF-16", GSS_C_NT_QXAT_MECHDATA_UTF16, wide_bytes, GSSP_C_INITIATE, 0},
        {"logon data, another principal", GSS_C_NT_QXAT_MECHDATA, "bob@" + Realm().realm, GSSP_C_INITIATE,
         GSSP_S_NO_CRED},
        {"host-based acceptor in the keytab", GSS_C_NT_HOSTBASED_SERVICE, "host@localhost", GSSP_C_ACCEPT, 0},
        {"host-based acceptor not in the keytab", GSS_C_NT_HOSTBASED_SERVICE, "ldap@localhost", GSSP_C_ACCEPT,
         GSSP_S_NO_CRED},
        {"a NUL inside the text", GSS_C_NT_QXAT_MECHDATA_UTF8, std::string("alice\0@EVIL", 11), GSSP_C_INITIATE,
         0x00020000u},
        {"empty logon data", GSS_C_NT_QXAT_MECHDATA_UTF8, "", GSSP_C_INITIATE, 0x00020000u},
        {"odd UTF-16 length", GSS_C_NT_QXAT_MECHDATA_UTF16, "abc", GSSP_C_INITIATE, GSSP_S_FAILURE},
        {"a name type the adapter does not know", OidOf("TESTA"), user, GSSP_C_INITIATE, 0x00030000u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gssp_name_desc name = NameOf(c.type, c.text);
        Credential cred;
        gssp_status minor = 0;
        const gssp_status major = qxgss_acquire_cred(&minor, krb5_, &name, GSSP_C_INDEFINITE, c.usage, &cred.cred);
        if (c.major == 0) {
            EXPECT_EQ(major, GSSP_S_COMPLETE) << MinorText(minor);
        } else {
            EXPECT_EQ(major & 0xFFFF0000u, c.major) << std::hex << major << " " << MinorText(minor);
            EXPECT_NE(minor, 0u);
            EXPECT_FALSE(MinorText(minor).empty());
            EXPECT_EQ(cred.cred, nullptr);
        }
    }
}

TEST_F(Credentials, AcceptorCredentialByServiceName) {
    const std::string service = "host@localhost";
    gssp_name_desc name = NameOf(GSS_C_NT_HOSTBASED_SERVICE, service);
    Credential acceptor;
    gssp_status minor = 0;
    ASSERT_EQ(qxgss_acquire_cred(&minor, krb5_, &name, GSSP_C_INDEFINITE, GSSP_C_ACCEPT, &acceptor.cred),
              GSSP_S_COMPLETE)
        << MinorText(minor);
    Exchange x(krb5_);
    EXPECT_TRUE(x.Run(nullptr, acceptor.cred));
}

TEST_F(Credentials, RefusedArguments) {
    const gssp_mech_info& m = Mech("QXKRB5");
    gssp_status minor = 0;
    gssp_cred_id_t cred = nullptr;
    // Mechanisms without Kerberos.
    gssp_OID_set_desc other = {1, OidOf("TESTA")};
    EXPECT_EQ(m.acquire_cred(&minor, nullptr, 0, &other, GSSP_C_INITIATE, &cred, nullptr, nullptr), GSSP_S_BAD_MECH);
    EXPECT_EQ(cred, nullptr);
    // No place for the credential.
    EXPECT_TRUE(GSSP_ERROR(m.acquire_cred(&minor, nullptr, 0, nullptr, GSSP_C_INITIATE, nullptr, nullptr, nullptr)));
    EXPECT_EQ(minor, QXGSS_MINOR_INVALID_ARGUMENT);
    // Releasing nothing.
    EXPECT_EQ(m.release_cred(&minor, &cred), GSSP_S_NO_CRED);
    EXPECT_TRUE(GSSP_ERROR(m.release_cred(&minor, nullptr)));
}

TEST_F(Credentials, DisplayStatusGivesTheLibrarysText) {
    const gssp_mech_info& m = Mech("QXKRB5");
    struct Case {
        uint32_t value;
        int type;
        const char* contains;
    };
    const Case cases[] = {
        {GSSP_S_NO_CRED, GSSP_C_GSS_CODE, "credentials"},
        {GSSP_S_BAD_MECH, GSSP_C_GSS_CODE, "mechanism"},
        {QXGSS_MINOR_INVALID_ARGUMENT, GSSP_C_MECH_CODE, "argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        gssp_buffer_desc text{};
        uint32_t context = 0;
        gssp_status minor = 0;
        ASSERT_EQ(m.display_status(&minor, c.value, c.type, nullptr, &context, &text), GSSP_S_COMPLETE);
        const std::string s = Text(text);
        gssp_release_buffer(nullptr, &text);
        EXPECT_FALSE(s.empty());
        EXPECT_NE(s.find(c.contains), std::string::npos) << s;
    }
    gssp_buffer_desc text{};
    EXPECT_EQ(m.display_status(nullptr, 1, 7, nullptr, nullptr, &text), 0x00050000u);
    EXPECT_EQ(text.value, nullptr);
}

}  // namespace
}  // namespace qxkrb5_tests
