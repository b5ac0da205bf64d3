// Credentials and the single-sign-on identity, absent entry points, status
// texts and the user properties.
#include <cstring>

#include "harness.hpp"

namespace qxtest_tests {
namespace {

class Credentials : public Framework {
protected:
    gssp_cred_id_t Acquire(const char* mech, int usage, gssp_name_t name = nullptr) {
        gssp_cred_id_t cred = nullptr;
        gssp_status minor = 0;
        EXPECT_EQ(Mech(mech).acquire_cred(&minor, name, GSSP_C_INDEFINITE, nullptr, usage, &cred, nullptr, nullptr),
                  0u);
        return cred;
    }
    void Release(const char* mech, gssp_cred_id_t* cred) {
        gssp_status minor = 0;
        EXPECT_EQ(Mech(mech).release_cred(&minor, cred), 0u);
        EXPECT_EQ(*cred, nullptr);
    }
};

TEST_F(Credentials, DefaultCredentialNamesTheScriptedIdentityForSingleSignOn) {
    qxtest_script_desc script{};
    script.identity = "alice@EXAMPLE.COM";
    ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
    const gssp_mech_info& m = Mech("TESTA");

    // Acquired as the negotiating mechanism does: no name, a set of its OID only.
    gssp_OID_set only = nullptr;
    ASSERT_EQ(gssp_create_empty_oid_set(nullptr, &only), 0u);
    ASSERT_EQ(gssp_add_oid_set_member(nullptr, OidOf("TESTA"), &only), 0u);
    gssp_cred_id_t cred = nullptr;
    gssp_status minor = 0;
    ASSERT_EQ(m.acquire_cred(&minor, nullptr, GSSP_C_INDEFINITE, only, GSSP_C_INITIATE, &cred, nullptr, nullptr), 0u);
    gssp_release_oid_set(nullptr, &only);

    gssp_name_t name = nullptr;
    uint32_t lifetime = 0;
    int usage = -1;
    gssp_OID_set mechs = nullptr;
    ASSERT_EQ(m.inquire_cred(&minor, cred, &name, &lifetime, &usage, &mechs), 0u);
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(SameOid(name->name_type, GSS_C_NT_QXAT_MECHDATA_UTF8));
    EXPECT_EQ(Text(name->text), "alice@EXAMPLE.COM");
    EXPECT_EQ(lifetime, GSSP_C_INDEFINITE);
    EXPECT_EQ(usage, GSSP_C_INITIATE);
    int present = 0;
    ASSERT_NE(mechs, nullptr);
    EXPECT_EQ(mechs->count, 1u);
    gssp_test_oid_set_member(nullptr, OidOf("TESTA"), mechs, &present);
    EXPECT_EQ(present, 1);
    EXPECT_EQ(m.release_name(&minor, &name), 0u);
    EXPECT_EQ(name, nullptr);
    gssp_release_oid_set(nullptr, &mechs);

    // The acceptor learns the identity from the exchange.
    Exchange x(m, m, nullptr);
    ASSERT_TRUE(x.Run(cred));
    ASSERT_NE(x.sourceName, nullptr);
    EXPECT_EQ(Text(x.sourceName->text), "alice@EXAMPLE.COM");
    gssp_name_t src = nullptr;
    ASSERT_EQ(m.inquire_context(&minor, x.serverContext, &src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0u);
    EXPECT_EQ(Text(src->text), "alice@EXAMPLE.COM");
    m.release_name(&minor, &src);
    int local = 0;
    ASSERT_EQ(m.inquire_context(&minor, x.clientContext, &src, nullptr, nullptr, nullptr, nullptr, &local, nullptr),
              0u);
    EXPECT_EQ(local, 1);
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(Text(src->text), "alice@EXAMPLE.COM");
    m.release_name(&minor, &src);
    Release("TESTA", &cred);
}

TEST_F(Credentials, WithoutAScriptedIdentityTheDefaultCredentialNamesNoOne) {
    gssp_cred_id_t cred = Acquire("TESTA", GSSP_C_INITIATE);
    gssp_name_t name = nullptr;
    gssp_status minor = 0;
    EXPECT_EQ(Mech("TESTA").inquire_cred(&minor, cred, &name, nullptr, nullptr, nullptr), GSSP_S_NO_CRED);
    EXPECT_EQ(minor, QXTEST_MINOR_NO_IDENTITY);
    EXPECT_EQ(name, nullptr);
    // Another mechanism's script does not reach this one.
    qxtest_script_desc script{};
    script.identity = "bob";
    ASSERT_EQ(qxtest_script("QXTEST2", &script), 0);
    EXPECT_EQ(Mech("TESTA").inquire_cred(&minor, cred, &name, nullptr, nullptr, nullptr), GSSP_S_NO_CRED);
    Release("TESTA", &cred);
}

TEST_F(Credentials, ADesiredNameIsTheCredentialsName) {
    const std::string text = "carol";
    gssp_name_desc desired{GSS_C_NT_QXAT_MECHDATA, View(text)};
    gssp_cred_id_t cred = Acquire("TESTB", GSSP_C_BOTH, &desired);
    gssp_name_t name = nullptr;
    gssp_status minor = 0;
    ASSERT_EQ(Mech("TESTB").inquire_cred(&minor, cred, &name, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(Text(name->text), "carol");
    EXPECT_TRUE(SameOid(name->name_type, GSS_C_NT_QXAT_MECHDATA));
    Mech("TESTB").release_name(&minor, &name);
    Release("TESTB", &cred);
}

TEST_F(Credentials, AcquireFailsAsScriptedOrForAnotherMechanismOrUsage) {
    gssp_status minor = 0;
    gssp_cred_id_t cred = reinterpret_cast<gssp_cred_id_t>(1);
    // Scripted failure.
    qxtest_script_desc script{};
    script.acquire_failure = {0, GSSP_S_NO_CRED, 0xE50009ABu};
    ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
    EXPECT_EQ(Mech("TESTA").acquire_cred(&minor, nullptr, 0, nullptr, GSSP_C_INITIATE, &cred, nullptr, nullptr),
              GSSP_S_NO_CRED);
    EXPECT_EQ(minor, 0xE50009ABu);
    EXPECT_EQ(cred, nullptr);
    // A desired set without this mechanism.
    gssp_OID_set other = nullptr;
    gssp_create_empty_oid_set(nullptr, &other);
    gssp_add_oid_set_member(nullptr, OidOf("TESTA"), &other);
    EXPECT_EQ(Mech("TESTB").acquire_cred(&minor, nullptr, 0, other, GSSP_C_INITIATE, &cred, nullptr, nullptr),
              GSSP_S_BAD_MECH);
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_MECH);
    gssp_release_oid_set(nullptr, &other);
    // An unknown usage.
    EXPECT_EQ(Mech("TESTB").acquire_cred(&minor, nullptr, 0, nullptr, 7, &cred, nullptr, nullptr), GSSP_S_FAILURE);
    EXPECT_EQ(minor, QXTEST_MINOR_WRONG_USAGE);
    EXPECT_EQ(cred, nullptr);
}

TEST_F(Credentials, ACredentialServesOnlyTheSideItsUsageAllows) {
    gssp_cred_id_t acceptOnly = Acquire("TESTB", GSSP_C_ACCEPT);
    gssp_cred_id_t initOnly = Acquire("TESTB", GSSP_C_INITIATE);
    gssp_status minor = 0;
    {
        Exchange x(Mech("TESTB"), Mech("TESTB"), nullptr);
        EXPECT_EQ(x.Init(&minor, acceptOnly), GSSP_S_NO_CRED);
        EXPECT_EQ(minor, QXTEST_MINOR_WRONG_USAGE);
        EXPECT_EQ(x.clientContext, nullptr);
    }
    {
        Exchange x(Mech("TESTB"), Mech("TESTB"), nullptr);
        ASSERT_EQ(x.Init(&minor, initOnly), GSSP_S_COMPLETE);
        EXPECT_EQ(x.Accept(&minor, initOnly), GSSP_S_NO_CRED);
        EXPECT_EQ(minor, QXTEST_MINOR_WRONG_USAGE);
    }
    {
        Exchange x(Mech("TESTB"), Mech("TESTB"), nullptr);
        EXPECT_TRUE(x.Run(initOnly, acceptOnly));
    }
    // TESTB's credential is not TESTA's.
    gssp_name_t name = nullptr;
    EXPECT_EQ(Mech("TESTA").inquire_cred(&minor, initOnly, &name, nullptr, nullptr, nullptr), GSSP_S_NO_CRED);
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_HANDLE);
    EXPECT_EQ(Mech("TESTA").release_cred(&minor, &initOnly), GSSP_S_NO_CRED);
    Release("TESTB", &acceptOnly);
    Release("TESTB", &initOnly);
    EXPECT_EQ(Mech("TESTB").release_cred(&minor, &initOnly), 0u);  // null: nothing to do
}

TEST_F(Credentials, ScriptedAbsentEntryPointsAnswerUnavailable) {
    qxtest_script_desc script{};
    script.absent = QXTEST_OP_INIT_SEC_CONTEXT | QXTEST_OP_WRAP | QXTEST_OP_INQUIRE_PROPERTIES_FOR_USER;
    ASSERT_EQ(qxtest_script("QXTEST2", &script), 0);
    gssp_status minor = 0;
    {
        Exchange x(Mech("TESTB"), Mech("TESTB"), nullptr);
        EXPECT_EQ(x.Init(&minor), GSSP_S_UNAVAILABLE);
        EXPECT_EQ(minor, QXGSS_MINOR_UNAVAILABLE);
        EXPECT_EQ(x.clientContext, nullptr);
    }
    // The other test mechanism in the same library is untouched.
    Exchange a(Mech("TESTA"), Mech("TESTA"), nullptr);
    EXPECT_TRUE(a.Run());
    // Its status text is the framework's wording.
    gssp_buffer_desc text{};
    uint32_t context = 1;
    ASSERT_EQ(Mech("TESTB").display_status(&minor, QXGSS_MINOR_UNAVAILABLE, GSSP_C_MECH_CODE, OidOf("TESTB"),
                                           &context, &text),
              0u);
    EXPECT_EQ(Text(text), "This function is not available for the requested security mechanism");
    gssp_release_buffer(nullptr, &text);
}

TEST_F(Credentials, AMechanismThatExportsFewerNamesHasThemMissingFromTheTable) {
    const gssp_mech_info& m = Mech("TESTMIN");
    EXPECT_NE(m.acquire_cred, nullptr);
    EXPECT_NE(m.release_cred, nullptr);
    EXPECT_NE(m.inquire_cred, nullptr);
    EXPECT_NE(m.delete_sec_context, nullptr);
    EXPECT_NE(m.release_name, nullptr);
    EXPECT_NE(m.display_status, nullptr);
    for (const void* missing :
         {reinterpret_cast<const void*>(m.init_sec_context), reinterpret_cast<const void*>(m.accept_sec_context),
          reinterpret_cast<const void*>(m.inquire_context), reinterpret_cast<const void*>(m.wrap_size_limit),
          reinterpret_cast<const void*>(m.wrap), reinterpret_cast<const void*>(m.unwrap),
          reinterpret_cast<const void*>(m.get_mic), reinterpret_cast<const void*>(m.verify_mic),
          reinterpret_cast<const void*>(m.inquire_properties_for_user)}) {
        EXPECT_EQ(missing, nullptr);
    }
    gssp_cred_id_t cred = Acquire("TESTMIN", GSSP_C_INITIATE);
    EXPECT_NE(cred, nullptr);
    Release("TESTMIN", &cred);
}

struct StatusCase {
    const char* name;
    uint32_t value;
    int type;
    const char* text;
};

TEST_F(Credentials, DisplayStatusGivesScriptedThenOwnTextsElseAQuestionMark) {
    const qxtest_status_text texts[] = {{0xE50009AAu, "scripted failure"}, {QXTEST_MINOR_BAD_TOKEN, "overridden"}};
    qxtest_script_desc script{};
    script.status_texts = texts;
    script.status_text_count = 2;
    ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
    const StatusCase cases[] = {
        {"scripted", 0xE50009AAu, GSSP_C_MECH_CODE, "scripted failure"},
        {"scripted over own", QXTEST_MINOR_BAD_TOKEN, GSSP_C_MECH_CODE, "overridden"},
        {"own", QXTEST_MINOR_INTEGRITY, GSSP_C_MECH_CODE, "The message or its token was changed."},
        {"unknown", 0xE5001234u, GSSP_C_MECH_CODE, "?"},
        {"major", GSSP_S_NO_CONTEXT, GSSP_C_GSS_CODE, "No context has been established."},
        {"unknown major", 0x00990000u, GSSP_C_GSS_CODE, "?"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        gssp_buffer_desc text{};
        uint32_t context = 5;
        gssp_status minor = 0;
        ASSERT_EQ(Mech("TESTA").display_status(&minor, c.value, c.type, OidOf("TESTA"), &context, &text), 0u);
        EXPECT_EQ(Text(text), c.text);
        EXPECT_EQ(context, 0u);
        gssp_release_buffer(nullptr, &text);
    }
    // The script of one mechanism is not the other's.
    gssp_buffer_desc text{};
    gssp_status minor = 0;
    ASSERT_EQ(Mech("TESTB").display_status(&minor, 0xE50009AAu, GSSP_C_MECH_CODE, nullptr, nullptr, &text), 0u);
    EXPECT_EQ(Text(text), "?");
    gssp_release_buffer(nullptr, &text);
    EXPECT_EQ(Mech("TESTA").display_status(&minor, 0, 9, nullptr, nullptr, &text), GSSP_S_BAD_STATUS);
    EXPECT_TRUE(GSSP_ERROR(Mech("TESTA").display_status(&minor, 0, GSSP_C_MECH_CODE, nullptr, nullptr, nullptr)));
}

TEST_F(Credentials, PropertiesAreTheScriptedBytesOnceTheContextIsComplete) {
    const unsigned char bytes[] = {0x00, 0x01, 0x00, 0x08, 0x00, 0x02, 'o', 'k'};
    qxtest_script_desc script{};
    script.init_legs = 2;
    script.properties = bytes;
    script.properties_length = sizeof bytes;
    ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
    const gssp_mech_info& m = Mech("TESTA");
    Exchange x(m, m, nullptr);
    gssp_status minor = 0;
    gssp_buffer_desc props{};
    ASSERT_EQ(x.Init(&minor), GSSP_S_CONTINUE_NEEDED);
    EXPECT_EQ(m.inquire_properties_for_user(&minor, x.clientContext, &props), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(minor, QXTEST_MINOR_NOT_READY);
    EXPECT_EQ(props.length, 0u);
    ASSERT_EQ(x.Accept(&minor), GSSP_S_COMPLETE);
    ASSERT_EQ(m.inquire_properties_for_user(&minor, x.serverContext, &props), 0u);
    ASSERT_EQ(props.length, sizeof bytes);
    EXPECT_EQ(std::memcmp(props.value, bytes, sizeof bytes), 0);
    gssp_release_buffer(nullptr, &props);
    // Without scripted properties the buffer is empty.
    ASSERT_EQ(qxtest_script("QXTEST1", nullptr), 0);
    ASSERT_EQ(m.inquire_properties_for_user(&minor, x.serverContext, &props), 0u);
    EXPECT_EQ(props.length, 0u);
    EXPECT_EQ(qxtest_script("NOSUCH", nullptr), -1);
}

}  // namespace
}  // namespace qxtest_tests
