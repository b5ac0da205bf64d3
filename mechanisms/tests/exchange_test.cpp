// Context establishment through the framework's table: scripted legs,
// scripted failures, tokens of the wrong mechanism, leg or exchange.
#include <vector>

#include "harness.hpp"

namespace qxtest_tests {
namespace {

constexpr gssp_status kDefectiveToken = 0x00090000u;

class Exchanges : public Framework {};

TEST_F(Exchanges, StartUpConfiguresEveryPrefixUnderItsConfiguredName) {
    std::string all;
    for (const std::string& m : report_.messages) all += m + "\n";
    EXPECT_NE(all.find("mechanism TESTA: test mechanism QXTEST1 configured"), std::string::npos) << all;
    EXPECT_NE(all.find("mechanism TESTB: test mechanism QXTEST2 configured"), std::string::npos) << all;
    EXPECT_NE(all.find("mechanism TESTMIN: test mechanism QXTESTMIN configured"), std::string::npos) << all;
}

// One call of the exchange: who calls, what it returns, whether it sends a token.
struct Step {
    char side;  // 'I' init, 'A' accept
    gssp_status major;
    bool token;
};
struct LegCase {
    uint32_t initLegs, acceptLegs;
    std::vector<Step> steps;
};

TEST_F(Exchanges, ScriptedLegsCompleteBothSidesWithTheMechanismsOid) {
    const gssp_status C = GSSP_S_CONTINUE_NEEDED, D = GSSP_S_COMPLETE;
    const LegCase cases[] = {
        {1, 1, {{'I', D, true}, {'A', D, false}}},
        {2, 1, {{'I', C, true}, {'A', D, true}, {'I', D, false}}},
        {2, 2, {{'I', C, true}, {'A', C, true}, {'I', D, true}, {'A', D, false}}},
        {3, 2, {{'I', C, true}, {'A', C, true}, {'I', C, true}, {'A', D, true}, {'I', D, false}}},
        {3, 3, {{'I', C, true}, {'A', C, true}, {'I', C, true}, {'A', C, true}, {'I', D, true}, {'A', D, false}}},
    };
    for (const LegCase& c : cases) {
        SCOPED_TRACE("init legs " + std::to_string(c.initLegs) + ", accept legs " + std::to_string(c.acceptLegs));
        qxtest_script_desc script{};
        script.init_legs = c.initLegs;
        script.accept_legs = c.acceptLegs;
        ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
        Exchange x(Mech("TESTA"), Mech("TESTA"), OidOf("TESTA"));
        for (const Step& s : c.steps) {
            gssp_status minor = 0;
            const gssp_status major = s.side == 'I' ? x.Init(&minor) : x.Accept(&minor);
            ASSERT_EQ(major, s.major) << s.side << " minor " << std::hex << minor;
            EXPECT_EQ(minor, s.major == D ? QXTEST_MINOR_SUCCESS : QXTEST_MINOR_CONTINUE);
            EXPECT_EQ((s.side == 'I' ? x.clientToken : x.serverToken).length != 0, s.token) << s.side;
        }
        EXPECT_TRUE(SameOid(x.actualMech, OidOf("TESTA")));
        EXPECT_TRUE(SameOid(x.acceptMech, OidOf("TESTA")));
        EXPECT_EQ(x.flags, 0x22u);
        for (gssp_ctx_id_t ctx : {x.clientContext, x.serverContext}) {
            gssp_status minor = 0;
            gssp_OID mech = nullptr;
            int open = 0;
            ASSERT_EQ(Mech("TESTA").inquire_context(&minor, ctx, nullptr, nullptr, nullptr, &mech, nullptr, nullptr,
                                                    &open),
                      0u);
            EXPECT_EQ(open, 1);
            EXPECT_TRUE(SameOid(mech, OidOf("TESTA")));
        }
        // Another call on a completed context is refused.
        gssp_status minor = 0;
        EXPECT_EQ(x.Init(&minor), GSSP_S_FAILURE);
        EXPECT_EQ(minor, QXTEST_MINOR_ALREADY_COMPLETE);
    }
}

TEST_F(Exchanges, FirstTokenCarriesTheLegThePrefixAndANonce) {
    Exchange x(Mech("TESTA"), Mech("TESTA"), nullptr);
    gssp_status minor = 0;
    ASSERT_EQ(x.Init(&minor), GSSP_S_COMPLETE);
    const std::string token = Text(x.clientToken);
    EXPECT_EQ(token.rfind("QXT:QXTEST1:INIT:1:D:", 0), 0u) << token;
}

struct FailureCase {
    const char* name;
    bool atAccept;
    uint32_t leg;
    bool contextStays;  // a failure after the first call leaves the context to delete
};

TEST_F(Exchanges, ScriptedFailureAtALegReturnsItsStatusAndLeavesASoundState) {
    const FailureCase cases[] = {
        {"init leg 1", false, 1, false},
        {"init leg 2", false, 2, true},
        {"accept leg 1", true, 1, false},
        {"accept leg 2", true, 2, true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        qxtest_script_desc script{};
        script.init_legs = 3;
        script.accept_legs = 2;
        qxtest_failure& f = c.atAccept ? script.accept_failure : script.init_failure;
        f = {c.leg, GSSP_S_DEFECTIVE_CREDENTIAL, 0xE50009AAu};
        ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
        Exchange x(Mech("TESTA"), Mech("TESTA"), nullptr);
        gssp_status minor = 0, major = 0;
        for (uint32_t leg = 1; leg <= c.leg; ++leg) {
            major = x.Init(&minor);
            if (!c.atAccept && leg == c.leg) break;
            ASSERT_EQ(major, GSSP_S_CONTINUE_NEEDED);
            major = x.Accept(&minor);
            if (c.atAccept && leg == c.leg) break;
            ASSERT_EQ(major, GSSP_S_CONTINUE_NEEDED);
        }
        EXPECT_EQ(major, GSSP_S_DEFECTIVE_CREDENTIAL);
        EXPECT_EQ(minor, 0xE50009AAu);
        const gssp_ctx_id_t failed = c.atAccept ? x.serverContext : x.clientContext;
        EXPECT_EQ(failed != nullptr, c.contextStays);
        EXPECT_EQ((c.atAccept ? x.serverToken : x.clientToken).length, 0u);
    }
}

struct BadToken {
    const char* name;
    std::string token;
    gssp_status minor;
};

TEST_F(Exchanges, AcceptRefusesTokensOfAnotherMechanismLegOrFormat) {
    const std::string nonce = "0123456789abcdef";
    const BadToken cases[] = {
        {"empty", "", QXTEST_MINOR_BAD_TOKEN},
        {"garbage", "hello", QXTEST_MINOR_BAD_TOKEN},
        {"truncated", "QXT:QXTEST1:INIT:1:C", QXTEST_MINOR_BAD_TOKEN},
        {"another mechanism", "QXT:QXTEST2:INIT:1:C:" + nonce + ":", QXTEST_MINOR_OTHER_MECH},
        {"acceptor's token", "QXT:QXTEST1:ACCEPT:1:C:" + nonce + ":" + nonce, QXTEST_MINOR_WRONG_LEG},
        {"wrong leg", "QXT:QXTEST1:INIT:2:C:" + nonce + ":", QXTEST_MINOR_WRONG_LEG},
        {"leg zero", "QXT:QXTEST1:INIT:0:C:" + nonce + ":", QXTEST_MINOR_BAD_TOKEN},
        {"leg not a number", "QXT:QXTEST1:INIT:x:C:" + nonce + ":", QXTEST_MINOR_BAD_TOKEN},
        {"huge leg", "QXT:QXTEST1:INIT:99999999999:C:" + nonce + ":", QXTEST_MINOR_BAD_TOKEN},
        {"bad flag", "QXT:QXTEST1:INIT:1:X:" + nonce + ":", QXTEST_MINOR_BAD_TOKEN},
        {"short nonce", "QXT:QXTEST1:INIT:1:C:0123:", QXTEST_MINOR_BAD_TOKEN},
        {"nonce not hex", "QXT:QXTEST1:INIT:1:C:0123456789abcdeZ:", QXTEST_MINOR_BAD_TOKEN},
        {"NUL in identity", std::string("QXT:QXTEST1:INIT:1:C:") + nonce + ":a" + std::string(1, '\0'),
         QXTEST_MINOR_BAD_TOKEN},
    };
    for (const BadToken& c : cases) {
        SCOPED_TRACE(c.name);
        gssp_ctx_id_t ctx = nullptr;
        gssp_buffer_desc input = View(c.token);
        gssp_buffer_desc output{};
        gssp_name_t source = nullptr;
        gssp_status minor = 0;
        const gssp_status major = Mech("TESTA").accept_sec_context(&minor, &ctx, nullptr, &input, nullptr, &source,
                                                                   nullptr, &output, nullptr, nullptr, nullptr);
        EXPECT_EQ(major, kDefectiveToken);
        EXPECT_EQ(minor, c.minor);
        EXPECT_EQ(ctx, nullptr);
        EXPECT_EQ(output.length, 0u);
        EXPECT_EQ(source, nullptr);
    }
}

TEST_F(Exchanges, TokensCrossingMechanismsOrExchangesAreRefused) {
    qxtest_script_desc script{};
    script.init_legs = 2;
    script.accept_legs = 2;
    ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
    ASSERT_EQ(qxtest_script("QXTEST2", &script), 0);
    gssp_status minor = 0;

    // TESTA's first token to TESTB's acceptor.
    {
        Exchange x(Mech("TESTA"), Mech("TESTB"), nullptr);
        ASSERT_EQ(x.Init(&minor), GSSP_S_CONTINUE_NEEDED);
        EXPECT_EQ(x.Accept(&minor), kDefectiveToken);
        EXPECT_EQ(minor, QXTEST_MINOR_OTHER_MECH);
        EXPECT_EQ(x.serverContext, nullptr);
    }
    // The acceptor's answer of one exchange to the initiator of another.
    Exchange first(Mech("TESTA"), Mech("TESTA"), nullptr);
    Exchange second(Mech("TESTA"), Mech("TESTA"), nullptr);
    for (Exchange* x : {&first, &second}) {
        ASSERT_EQ(x->Init(&minor), GSSP_S_CONTINUE_NEEDED);
        ASSERT_EQ(x->Accept(&minor), GSSP_S_CONTINUE_NEEDED);
    }
    std::swap(first.serverToken, second.serverToken);
    EXPECT_EQ(first.Init(&minor), kDefectiveToken);
    EXPECT_EQ(minor, QXTEST_MINOR_WRONG_NONCE);
    EXPECT_NE(first.clientContext, nullptr);  // a later leg: the caller deletes it
    // The initiator's second token to the acceptor of another exchange.
    ASSERT_EQ(second.Init(&minor), kDefectiveToken);  // it got first's answer
    Exchange third(Mech("TESTA"), Mech("TESTA"), nullptr);
    ASSERT_EQ(third.Init(&minor), GSSP_S_CONTINUE_NEEDED);
    ASSERT_EQ(third.Accept(&minor), GSSP_S_CONTINUE_NEEDED);
    ASSERT_EQ(third.Init(&minor), GSSP_S_COMPLETE);
    std::swap(third.clientToken, second.clientToken);
    EXPECT_EQ(second.Accept(&minor), kDefectiveToken);
    EXPECT_EQ(minor, QXTEST_MINOR_WRONG_NONCE);
}

TEST_F(Exchanges, FourTestMechanismsAtOnceEachTakeOnlyTheirOwnTokens) {
    const char* names[] = {"TESTA", "TESTB", "TESTC", "TESTD"};
    for (const char* client : names) {
        for (const char* server : names) {
            SCOPED_TRACE(std::string(client) + " to " + server);
            Exchange x(Mech(client), Mech(server), OidOf(client));
            gssp_status minor = 0;
            ASSERT_EQ(x.Init(&minor), GSSP_S_COMPLETE);
            EXPECT_TRUE(SameOid(x.actualMech, OidOf(client)));
            const bool same = std::string(client) == server;
            EXPECT_EQ(x.Accept(&minor), same ? GSSP_S_COMPLETE : kDefectiveToken);
            EXPECT_EQ(minor, same ? QXTEST_MINOR_SUCCESS : QXTEST_MINOR_OTHER_MECH);
            if (same) {
                EXPECT_TRUE(SameOid(x.acceptMech, OidOf(server)));
            }
        }
    }
}

TEST_F(Exchanges, HandlesOfAnotherMechanismOrSideOrAlreadyDeletedAreRefused) {
    Exchange a(Mech("TESTA"), Mech("TESTA"), nullptr);
    ASSERT_TRUE(a.Run());
    gssp_status minor = 0;
    gssp_buffer_desc out{};
    gssp_buffer_desc in = View("QXT:QXTEST2:INIT:1:D:0123456789abcdef:");

    // TESTA's context given to TESTB.
    gssp_ctx_id_t foreign = a.serverContext;
    EXPECT_EQ(Mech("TESTB").accept_sec_context(&minor, &foreign, nullptr, &in, nullptr, nullptr, nullptr, &out,
                                               nullptr, nullptr, nullptr),
              GSSP_S_NO_CONTEXT);
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_HANDLE);
    EXPECT_EQ(Mech("TESTB").delete_sec_context(&minor, &foreign, nullptr), GSSP_S_NO_CONTEXT);
    // The client's context given to accept.
    gssp_ctx_id_t clientSide = a.clientContext;
    gssp_buffer_desc inA = View("QXT:QXTEST1:INIT:1:D:0123456789abcdef:");
    EXPECT_EQ(Mech("TESTA").accept_sec_context(&minor, &clientSide, nullptr, &inA, nullptr, nullptr, nullptr, &out,
                                               nullptr, nullptr, nullptr),
              GSSP_S_NO_CONTEXT);
    // A credential given as a context, and a deleted context.
    gssp_cred_id_t cred = nullptr;
    ASSERT_EQ(Mech("TESTA").acquire_cred(&minor, nullptr, GSSP_C_INDEFINITE, nullptr, GSSP_C_BOTH, &cred, nullptr,
                                         nullptr),
              0u);
    gssp_ctx_id_t asContext = cred;
    EXPECT_EQ(Mech("TESTA").delete_sec_context(&minor, &asContext, nullptr), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(Mech("TESTA").release_cred(&minor, &cred), 0u);
    gssp_ctx_id_t deleted = a.serverContext;
    ASSERT_EQ(Mech("TESTA").delete_sec_context(&minor, &a.serverContext, &out), 0u);
    EXPECT_EQ(a.serverContext, nullptr);
    EXPECT_EQ(Mech("TESTA").delete_sec_context(&minor, &deleted, nullptr), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_HANDLE);
    // Missing handle pointers or output token.
    EXPECT_TRUE(GSSP_ERROR(Mech("TESTA").delete_sec_context(&minor, nullptr, nullptr)));
    EXPECT_TRUE(GSSP_ERROR(Mech("TESTA").init_sec_context(&minor, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr,
                                                          nullptr, nullptr, &out, nullptr, nullptr)));
    gssp_ctx_id_t fresh = nullptr;
    EXPECT_TRUE(GSSP_ERROR(Mech("TESTA").init_sec_context(&minor, nullptr, &fresh, nullptr, nullptr, 0, 0, nullptr,
                                                          nullptr, nullptr, nullptr, nullptr, nullptr)));
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_ARGUMENT);
    EXPECT_EQ(fresh, nullptr);
    // Another mechanism's OID as the init's mechanism.
    EXPECT_EQ(Mech("TESTA").init_sec_context(&minor, nullptr, &fresh, nullptr, OidOf("TESTB"), 0, 0, nullptr, nullptr,
                                             nullptr, &out, nullptr, nullptr),
              GSSP_S_BAD_MECH);
    EXPECT_EQ(fresh, nullptr);
}

}  // namespace
}  // namespace qxtest_tests
