// A whole negotiation as the application sees it: client alice with M1 and
// M2, no server credential. M1 completes on the server in one leg and on the
// client in two; M2 needs two legs on each side.
#include "negotiation_harness.h"

namespace {

enum { AV = 1, SEL = 2, REJ = 3 };
enum { R_AVAILABLE = 1, R_RANK = 6 };
const uint32_t kOk = 0x230003E8u, kContinue = 0x230003E9u;

class WalkThrough : public NegotiationHarness {
protected:
    void SetUp() override {
        StartWith(QX_NEGO_PAIR_FIXTURE);
        qxtest_script_desc m1 = {};
        m1.init_legs = 2;
        m1.accept_legs = 1;
        qxtest_script_desc m2 = {};
        m2.init_legs = 2;
        m2.accept_legs = 2;
        ASSERT_EQ(0, qxtest_script("QXTEST1", &m1));
        ASSERT_EQ(0, qxtest_script("QXTEST2", &m2));
        ClientLogon("authcid=alice");
    }
};

TEST_F(WalkThrough, ClientAliceWithTwoMechanisms) {
    const std::string m1 = OidBytes("M1"), m2 = OidBytes("M2");

    // 1. The client offers both, with their first tokens and alice.
    Leg& c1 = Init(nullptr);
    EXPECT_EQ(1u, c1.major);
    EXPECT_EQ(kContinue, c1.minor);
    ASSERT_TRUE(c1.view.ok);
    EXPECT_TRUE(c1.view.init);
    ASSERT_EQ(2u, c1.view.mechs.size());
    for (size_t k = 0; k < 2; ++k) {
        const NegMechView& m = c1.view.mechs[k];
        EXPECT_EQ(k == 0 ? m1 : m2, m.oid);
        EXPECT_EQ((uint32_t)AV, m.state);
        EXPECT_EQ(std::optional<uint32_t>(R_AVAILABLE), m.reason);
        EXPECT_FALSE(m.major.has_value());
        EXPECT_FALSE(m.status_text.has_value());
        ASSERT_TRUE(m.token.has_value());
        EXPECT_FALSE(m.token->empty());
        EXPECT_FALSE(m.authentication_id.has_value());
    }
    EXPECT_EQ(2u, c1.view.neg_state);
    EXPECT_EQ(std::optional<std::string>("alice"), c1.view.authentication_id);
    EXPECT_FALSE(c1.view.sso.has_value());
    EXPECT_FALSE(c1.view.user.has_value());
    EXPECT_FALSE(c1.view.profile.has_value());
    EXPECT_EQ((std::vector<EntryState>{{"M1", AV, R_AVAILABLE}, {"M2", AV, R_AVAILABLE}}), Entries(client_));

    // 2. The server runs both; M1 completes first in list order and wins.
    Leg& s1 = Accept(&c1.token);
    ASSERT_FALSE(GSSP_ERROR(s1.major)) << std::hex << s1.minor;
    ASSERT_NE(0u, s1.token.length) << s1.major;
    EXPECT_EQ(0u, s1.major);
    EXPECT_EQ(kOk, s1.minor);
    ASSERT_TRUE(s1.view.ok);
    EXPECT_FALSE(s1.view.init);
    ASSERT_EQ(2u, s1.view.mechs.size());
    EXPECT_EQ(m1, s1.view.mechs[0].oid);
    EXPECT_EQ((uint32_t)SEL, s1.view.mechs[0].state);
    EXPECT_EQ(m2, s1.view.mechs[1].oid);
    EXPECT_EQ((uint32_t)REJ, s1.view.mechs[1].state);
    for (const NegMechView& m : s1.view.mechs) {
        EXPECT_EQ(std::optional<uint32_t>(R_RANK), m.reason);
        EXPECT_TRUE(m.token.has_value());
        EXPECT_FALSE(m.major.has_value());
    }
    EXPECT_EQ(1u, s1.view.neg_state);
    EXPECT_EQ(std::optional<std::string>(m1), s1.view.selected);
    EXPECT_EQ(std::optional<uint32_t>(1), s1.view.policy_applied);
    EXPECT_EQ((std::vector<EntryState>{{"M1", SEL, R_RANK}, {"M2", REJ, R_RANK}}), Entries(server_));
    const NegContext* server = Record(server_);
    EXPECT_EQ(1u, server->NegState);
    EXPECT_EQ(0, server->selected_entry_index);
    EXPECT_EQ(1u, server->IsPolicyApplied);
    EXPECT_EQ(std::string("alice"),
              std::string((const char*)server->authentication_id.value, server->authentication_id.length));

    // 3. The client takes the server's choice; M1 completes with R1 and no
    // token is sent back.
    Leg& c2 = Init(&s1.token);
    EXPECT_EQ(0u, c2.major);
    EXPECT_EQ(kOk, c2.minor);
    EXPECT_EQ(0u, c2.token.length);
    EXPECT_EQ((std::vector<EntryState>{{"M1", SEL, R_RANK}, {"M2", REJ, R_RANK}}), Entries(client_));
    const NegContext* client = Record(client_);
    EXPECT_EQ(1u, client->call_counter);
    EXPECT_EQ(1u, client->NegState);
    EXPECT_EQ(1u, client->NegStateFromPeer);
    EXPECT_EQ(0, client->selected_entry_index);
    EXPECT_EQ(1u, client->IsPolicyApplied);
    EXPECT_EQ(1u, client->mech_list.entries[0].IsCtxEstablished);
    EXPECT_EQ(0u, client->mech_list.entries[1].IsCtxEstablished);

    // The logs, in order.
    EXPECT_TRUE(InOrder(LogTexts(client_),
                        {"QXNEGO_INT_GetNegMechList: Mechanism is available for negotiation",
                         "QXNEGO_INT_GetNegMechList: Mechanism is available for negotiation",
                         "QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred succeeded for mechanism",
                         "QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred succeeded for mechanism",
                         "QXNEGO_INT_Mechs_Init_Contexts: Continue needed for mechanism to establish context",
                         "QXNEGO_INT_Mechs_Init_Contexts: Continue needed for mechanism to establish context",
                         "QXNEGO_INT_DecodeNegTokenResp: Peer has changed Negotiation State",
                         "QXNEGO_INT_DecodeNegTokenResp: Mechanism Policy has been applied at the Server",
                         "QXNEGO_INT_Mechs_Init_Contexts: Mechanism established context"}));
    EXPECT_TRUE(InOrder(LogTexts(server_),
                        {"QXNEGO_INT_GetNegMechList: Mechanism is available for negotiation",
                         "QXNEGO_INT_GetNegMechList: Mechanism is available for negotiation",
                         "QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred not needed for NULL credential at Server",
                         "QXNEGO_INT_Apply_Policy_Info: Mechanism Policy has been applied (empty policy)",
                         "QXNEGO_INT_Mechs_Accept_Contexts: Mechanism established context",
                         "QXNEGO_INT_Mechs_Accept_Contexts: Continue needed for mechanism to establish context",
                         "QXNEGO_INT_SelectMechanism: A mechanism has been selected",
                         "QXNEGO_INT_SelectMechanism: A mechanism has been selected"}));

    // Both sides name the same mechanism and the client.
    gssp_status minor = 0;
    gssp_OID mech = nullptr;
    gssp_name_t src = nullptr;
    int open = 0;
    ASSERT_EQ(0u, qxgss_inquire_context(&minor, server_, &src, &mech, nullptr, &open));
    EXPECT_EQ(1, open);
    ASSERT_NE(nullptr, src);
    EXPECT_NE(std::string::npos, std::string((const char*)src->text.value, src->text.length).find("alice"));
    gssp_release_name(&minor, &src);

    // Real protection through the selected mechanism, both ways.
    for (int direction = 0; direction < 2; ++direction) {
        qxgss_ctx_t from = direction == 0 ? client_ : server_, to = direction == 0 ? server_ : client_;
        std::string text = direction == 0 ? "hello from alice" : "hello from the server";
        gssp_buffer_desc message = {text.size(), (void*)text.data()};
        gssp_buffer_desc wrapped = {0, nullptr}, unwrapped = {0, nullptr};
        int conf = 0;
        ASSERT_EQ(0u, qxgss_wrap(&minor, from, 1, &message, &conf, &wrapped));
        EXPECT_EQ(1, conf);
        EXPECT_EQ(std::string::npos, std::string((const char*)wrapped.value, wrapped.length).find(text));
        ASSERT_EQ(0u, qxgss_unwrap(&minor, to, &wrapped, &unwrapped, &conf));
        EXPECT_EQ(text, std::string((const char*)unwrapped.value, unwrapped.length));
        gssp_buffer_desc mic = {0, nullptr};
        ASSERT_EQ(0u, qxgss_get_mic(&minor, from, &message, &mic));
        EXPECT_EQ(0u, qxgss_verify_mic(&minor, to, &message, &mic));
        text[0] ^= 1;
        EXPECT_TRUE(GSSP_ERROR(qxgss_verify_mic(&minor, to, &message, &mic)));
        gssp_release_buffer(&minor, &wrapped);
        gssp_release_buffer(&minor, &unwrapped);
        gssp_release_buffer(&minor, &mic);
    }
}

}  // namespace
