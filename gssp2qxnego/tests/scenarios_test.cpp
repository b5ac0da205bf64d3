// Negotiations that leave the plain road: a first choice that needs another
// leg, per-user policy, single sign-on, failing and incomplete mechanisms,
// calls before completion, the user properties, and a configuration with
// nothing to negotiate.
#include <cstring>

#include "gssp2qxnego.h"
#include "negotiation_harness.h"

namespace {

enum { AV = 1, SEL = 2, REJ = 3 };
enum { R_AVAILABLE = 1, R_GSSAPI = 2, R_POLICY = 5, R_RANK = 6, R_SSO_REQUIRED = 7 };
const uint32_t kOk = 0x230003E8u, kContinue = 0x230003E9u;

class Scenario : public NegotiationHarness {
protected:
    void SetUp() override { StartWith(QX_NEGO_PAIR_FIXTURE); }

    static void Script(const char* prefix, uint32_t init_legs, uint32_t accept_legs, qxtest_script_desc extra = {}) {
        extra.init_legs = init_legs;
        extra.accept_legs = accept_legs;
        ASSERT_EQ(0, qxtest_script(prefix, &extra));
    }

    const gssp_mech_info& Nego() const {
        uint32_t index = 0;
        gssp_status minor = 0;
        EXPECT_EQ(0u, gssp_oid_to_mechindex(&minor, nego_, &index));
        return pMechInfo[index];
    }
};

// The server waits for its first choice even when the second has already
// completed, and the client runs its mechanisms again on the new tokens.
TEST_F(Scenario, FirstChoiceNeedsAnotherLegWhileTheSecondCompleted) {
    Script("QXTEST1", 3, 2);
    Script("QXTEST2", 2, 1);
    ClientLogon("authcid=alice");
    Leg& c1 = Init(nullptr);
    Leg& s1 = Accept(&c1.token);
    EXPECT_EQ(1u, s1.major);
    EXPECT_EQ(kContinue, s1.minor);
    EXPECT_EQ(2u, s1.view.neg_state);
    EXPECT_FALSE(s1.view.selected.has_value());
    EXPECT_EQ(std::optional<uint32_t>(1), s1.view.policy_applied);
    EXPECT_EQ((std::vector<EntryState>{{"M1", AV, R_AVAILABLE}, {"M2", AV, R_AVAILABLE}}), Entries(server_));

    Leg& c2 = Init(&s1.token);
    EXPECT_EQ(1u, c2.major);
    ASSERT_TRUE(c2.view.ok);
    EXPECT_FALSE(c2.view.init);
    EXPECT_EQ(2u, c2.view.neg_state);
    Leg& s2 = Accept(&c2.token);
    EXPECT_EQ(0u, s2.major);
    EXPECT_EQ(std::optional<std::string>(OidBytes("M1")), s2.view.selected);
    Leg& c3 = Init(&s2.token);
    EXPECT_EQ(0u, c3.major);
    EXPECT_EQ(kOk, c3.minor);
    EXPECT_EQ((std::vector<EntryState>{{"M1", SEL, R_RANK}, {"M2", REJ, R_RANK}}), Entries(client_));
}

// bob may use M2 only; mallory only a mechanism that is not negotiated.
TEST_F(Scenario, PerUserPolicy) {
    ClientLogon("authcid=bob");
    Leg& c1 = Init(nullptr);
    Leg& s1 = Accept(&c1.token);
    EXPECT_EQ(0u, s1.major);
    EXPECT_EQ((std::vector<EntryState>{{"M1", REJ, R_POLICY}, {"M2", SEL, R_RANK}}), Entries(server_));
    EXPECT_EQ(std::optional<std::string>(OidBytes("M2")), s1.view.selected);
    Leg& c2 = Init(&s1.token);
    EXPECT_EQ(0u, c2.major);
    EXPECT_EQ((std::vector<EntryState>{{"M1", REJ, R_POLICY}, {"M2", SEL, R_RANK}}), Entries(client_));
}

TEST_F(Scenario, PolicyExcludingEverything) {
    ClientLogon("authcid=mallory");
    Leg& c1 = Init(nullptr);
    Leg& s1 = Accept(&c1.token);
    EXPECT_EQ(0x000D0000u, s1.major);
    EXPECT_EQ(0xE3000406u, s1.minor);
    EXPECT_EQ((std::vector<EntryState>{{"M1", REJ, R_POLICY}, {"M2", REJ, R_POLICY}}), Entries(server_));
    EXPECT_TRUE(InOrder(LogTexts(server_), {"QXNEGO_INT_Apply_Policy_Info: Mechanism disallowed due to policy",
                                            "QXNEGO_INT_Apply_Policy_Info: Mechanism disallowed due to policy",
                                            "QXNEGO_INT_Apply_Policy_Info: Mechanism Policy has been applied "
                                            "(non-empty policy)"}));
}

// No client credential: M1 cannot do single sign-on, M2's default
// credential names carol, who travels in M2's report.
TEST_F(Scenario, SingleSignOnWithOneMechanismLackingIt) {
    qxtest_script_desc m2 = {};
    m2.identity = "carol";
    Script("QXTEST2", 1, 1, m2);
    Leg& c1 = Init(nullptr);
    EXPECT_EQ(1u, c1.major);
    ASSERT_TRUE(c1.view.ok);
    EXPECT_EQ(std::optional<uint32_t>(1), c1.view.sso);
    EXPECT_FALSE(c1.view.authentication_id.has_value());
    ASSERT_EQ(2u, c1.view.mechs.size());
    EXPECT_EQ((uint32_t)REJ, c1.view.mechs[0].state);
    EXPECT_EQ(std::optional<uint32_t>(R_SSO_REQUIRED), c1.view.mechs[0].reason);
    EXPECT_EQ(std::optional<std::string>("carol"), c1.view.mechs[1].authentication_id);
    EXPECT_EQ((std::vector<EntryState>{{"M1", REJ, R_SSO_REQUIRED}, {"M2", AV, R_AVAILABLE}}), Entries(client_));
    Leg& s1 = Accept(&c1.token);
    EXPECT_EQ(0u, s1.major);
    EXPECT_EQ(std::optional<std::string>(OidBytes("M2")), s1.view.selected);
    Leg& c2 = Init(&s1.token);
    EXPECT_EQ(0u, c2.major);
}

// The server completed with M1, but M1 on the client wants a third leg.
TEST_F(Scenario, ClientMechanismStillContinuesAfterTheServerCompleted) {
    Script("QXTEST1", 3, 1);
    ClientLogon("authcid=alice");
    Leg& c1 = Init(nullptr);
    Leg& s1 = Accept(&c1.token);
    EXPECT_EQ(0u, s1.major);
    Leg& c2 = Init(&s1.token);
    EXPECT_EQ(0x000D0000u, c2.major);
    EXPECT_EQ(0xE30003F3u, c2.minor);
}

// A mechanism that fails, or has no init_sec_context, only leaves the race;
// its report carries the failure.
TEST_F(Scenario, FailingMechanismsLeaveTheRace) {
    const qxtest_status_text texts[] = {{0xE5000999u, "scripted acquire failure"}};
    qxtest_script_desc m1 = {};
    m1.acquire_failure = {0, 0x000D0000u, 0xE5000999u};
    m1.status_texts = texts;
    m1.status_text_count = 1;
    Script("QXTEST1", 1, 1, m1);
    qxtest_script_desc m2 = {};
    m2.absent = QXTEST_OP_INIT_SEC_CONTEXT;
    Script("QXTEST2", 1, 1, m2);
    ClientLogon("authcid=alice");
    Leg& c1 = Init(nullptr);
    EXPECT_EQ((std::vector<EntryState>{{"M1", REJ, R_GSSAPI}, {"M2", REJ, R_GSSAPI}}), Entries(client_));
    // Nothing is left: the call fails, and no token is produced.
    EXPECT_EQ(0x000D0000u, c1.major);
    EXPECT_EQ(0xE3000406u, c1.minor);
    const NegContext* c = Record(client_);
    EXPECT_EQ(0x000D0000u, c->mech_list.entries[0].major_status);
    EXPECT_EQ(0xE5000999u, c->mech_list.entries[0].minor_status);
    EXPECT_EQ(std::string("scripted acquire failure"),
              std::string((const char*)c->mech_list.entries[0].status_text.value,
                          c->mech_list.entries[0].status_text.length));
    EXPECT_EQ(0x00100000u, c->mech_list.entries[1].major_status);
    EXPECT_EQ(0xE1000067u, c->mech_list.entries[1].minor_status);
    EXPECT_TRUE(InOrder(LogTexts(client_), {"QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred failed for mechanism",
                                            "QXNEGO_INT_Mechs_Init_Contexts: init_sec_context failed for mechanism"}));
}

// With M1 failing only, its report in the first token carries the failure
// (tags 3 to 5) and M2 goes on to win.
TEST_F(Scenario, AFailureTravelsInTheReport) {
    qxtest_script_desc m1 = {};
    m1.init_failure = {1, 0x00090000u, 0xE5000777u};
    Script("QXTEST1", 1, 1, m1);
    ClientLogon("authcid=alice");
    Leg& c1 = Init(nullptr);
    EXPECT_EQ(1u, c1.major);
    ASSERT_EQ(2u, c1.view.mechs.size());
    const NegMechView& r = c1.view.mechs[0];
    EXPECT_EQ((uint32_t)REJ, r.state);
    EXPECT_EQ(std::optional<uint32_t>(R_GSSAPI), r.reason);
    EXPECT_EQ(std::optional<uint32_t>(0x00090000u), r.major);
    EXPECT_EQ(std::optional<uint32_t>(0xE5000777u), r.minor);
    EXPECT_TRUE(r.status_text.has_value());
    Leg& s1 = Accept(&c1.token);
    EXPECT_EQ(0u, s1.major);
    EXPECT_EQ((std::vector<EntryState>{{"M1", REJ, R_GSSAPI}, {"M2", SEL, R_RANK}}), Entries(server_));
    EXPECT_EQ(0x00090000u, Record(server_)->mech_list.entries[0].major_status);
}

TEST_F(Scenario, PerMessageCallsBeforeCompletion) {
    Script("QXTEST1", 2, 2);
    Script("QXTEST2", 2, 2);
    ClientLogon("authcid=alice");
    Init(nullptr);
    gssp_status minor = 0;
    std::string text = "too early";
    gssp_buffer_desc message = {text.size(), (void*)text.data()};
    gssp_buffer_desc out = {0, nullptr};
    int conf = 7;
    EXPECT_EQ(0x000D0000u, qxgss_wrap(&minor, client_, 1, &message, &conf, &out));
    EXPECT_EQ(0xE3000414u, minor);
    EXPECT_EQ(0u, out.length);
    EXPECT_EQ(0, conf);
    EXPECT_EQ(0x000D0000u, qxgss_get_mic(&minor, client_, &message, &out));
    EXPECT_EQ(0xE3000414u, minor);
    uint32_t max_input = 0;
    EXPECT_EQ(0x00080000u,
              Nego().wrap_size_limit(&minor, qxgss_context_handle(client_), 1, 0, 1024, &max_input));
    EXPECT_EQ(0xE3000401u, minor);
}

// Before completion every call builds a fresh buffer (flags and log
// records); after it, the buffer is built once and kept.
TEST_F(Scenario, UserPropertiesBeforeAndAfterCompletion) {
    ClientLogon("authcid=alice");
    Leg& c1 = Init(nullptr);
    gssp_status minor = 0;
    gssp_buffer_desc before = {0, nullptr};
    ASSERT_EQ(0u, qxgss_inquire_properties_for_user(&minor, client_, &before));
    std::vector<uint16_t> types;
    uint64_t at = 0;
    PropertyRecordView record;
    while (qxat_next_property_record((const unsigned char*)before.value, before.length, &at, &record))
        types.push_back(record.header.type);
    EXPECT_EQ(before.length, at);
    EXPECT_EQ((std::vector<uint16_t>{QXAT_PROP_FLAGS, QXAT_PROP_NEG_LOG}), types);
    EXPECT_EQ(0, ((const unsigned char*)before.value)[8]);
    EXPECT_EQ(nullptr, Record(client_)->user_properties.value);

    Leg& s1 = Accept(&c1.token);
    Leg& c2 = Init(&s1.token);
    ASSERT_EQ(0u, c2.major);
    gssp_buffer_desc after1 = {0, nullptr}, after2 = {0, nullptr};
    ASSERT_EQ(0u, qxgss_inquire_properties_for_user(&minor, client_, &after1));
    const void* cached = Record(client_)->user_properties.value;
    ASSERT_NE(nullptr, cached);
    ASSERT_EQ(0u, qxgss_inquire_properties_for_user(&minor, client_, &after2));
    EXPECT_EQ(cached, Record(client_)->user_properties.value);
    EXPECT_EQ(after1.length, after2.length);
    EXPECT_EQ(0, memcmp(after1.value, after2.value, after1.length));
    EXPECT_GT(after1.length, before.length);
    // The policy flag the server reported sits at offset 8 of the flags record.
    EXPECT_EQ(1, ((const unsigned char*)after1.value)[8]);
    gssp_release_buffer(&minor, &before);
    gssp_release_buffer(&minor, &after1);
    gssp_release_buffer(&minor, &after2);
}

}  // namespace

namespace {

// At start-up the framework runs QXNEGO's configuration; with nothing to
// negotiate it fails with its message and the framework disables QXNEGO.
TEST(StartUp, NothingToNegotiateDisablesTheMechanism) {
    qxgss::ResetFramework();
    const qxgss::StartupReport report = qxgss::StartFramework(QX_NEGO_EMPTY_FIXTURE, QX_LIBRARY_PATH);
    ASSERT_TRUE(report.ok) << report.error;
    const std::vector<std::string> expected = {
        "mechanism QXNEGO: QXNEGO_configure: Error when calling QXNEGO_INT_InitNegMechList(The QXNEGO security "
        "mechanism could not find any mechanisms available for negotiation.) Mechanism Disabled",
        "mechanism QXNEGO: configure failed (This mechanism has failed to initialize properly and will be "
        "disabled.); disabled"};
    std::vector<std::string> about_nego;
    for (const std::string& m : report.messages) {
        if (m.rfind("mechanism QXNEGO:", 0) == 0) about_nego.push_back(m);
    }
    EXPECT_EQ(expected, about_nego);
    gssp_status minor = 0;
    gssp_OID nego = nullptr;
    uint32_t index = 0;
    ASSERT_EQ(0u, gssp_mechstr_to_oid(&minor, "QXNEGO", &nego));
    ASSERT_EQ(0u, gssp_oid_to_mechindex(&minor, nego, &index));
    EXPECT_EQ(0u, pMechInfo[index].enabled);
    qxgss_cred_t cred = nullptr;
    EXPECT_TRUE(GSSP_ERROR(qxgss_acquire_cred(&minor, nego, nullptr, 0, GSSP_C_INITIATE, &cred)));
    qxgss::ResetFramework();
}

}  // namespace
