// Per-message services over the key both sides derived in their exchange.
#include <memory>

#include "harness.hpp"

namespace qxtest_tests {
namespace {

constexpr gssp_status kBadSig = 0x00060000u;
constexpr gssp_status kDefectiveToken = 0x00090000u;

class Messages : public Framework {
protected:
    // A completed TESTA exchange with `initLegs`/`acceptLegs`.
    std::unique_ptr<Exchange> Established(uint32_t initLegs, uint32_t acceptLegs) {
        qxtest_script_desc script{};
        script.init_legs = initLegs;
        script.accept_legs = acceptLegs;
        EXPECT_EQ(qxtest_script("QXTEST1", &script), 0);
        auto x = std::make_unique<Exchange>(Mech("TESTA"), Mech("TESTA"), nullptr);
        EXPECT_TRUE(x->Run());
        return x;
    }
    gssp_status WrapText(gssp_ctx_id_t ctx, int conf, const std::string& message, gssp_buffer_desc* token) {
        gssp_buffer_desc in = View(message);
        gssp_status minor = 0;
        int state = -1;
        const gssp_status major = m().wrap(&minor, ctx, conf, 0, &in, &state, token);
        if (!GSSP_ERROR(major)) {
            EXPECT_EQ(state, conf ? 1 : 0);
        }
        return major;
    }
    gssp_status UnwrapText(gssp_ctx_id_t ctx, gssp_buffer_desc token, std::string* message, gssp_status* minor) {
        gssp_buffer_desc out{};
        const gssp_status major = m().unwrap(minor, ctx, &token, &out, nullptr, nullptr);
        *message = Text(out);
        gssp_release_buffer(nullptr, &out);
        return major;
    }
    const gssp_mech_info& m() { return Mech("TESTA"); }
};

TEST_F(Messages, WrapRoundTripsBothWaysForEveryExchangeShape) {
    const std::pair<uint32_t, uint32_t> shapes[] = {{1, 1}, {2, 1}, {2, 2}, {3, 2}};
    for (const auto& [initLegs, acceptLegs] : shapes) {
        SCOPED_TRACE("legs " + std::to_string(initLegs) + "/" + std::to_string(acceptLegs));
        auto x = Established(initLegs, acceptLegs);
        for (int conf : {0, 1}) {
            for (const std::string& message : {std::string("attack at dawn"), std::string(), std::string(300, 'z')}) {
                const std::pair<gssp_ctx_id_t, gssp_ctx_id_t> directions[] = {
                    {x->clientContext, x->serverContext}, {x->serverContext, x->clientContext}};
                for (const auto& [from, to] : directions) {
                    gssp_buffer_desc token{};
                    ASSERT_EQ(WrapText(from, conf, message, &token), 0u);
                    const std::string body = Text(token);
                    if (conf && !message.empty()) {
                        EXPECT_EQ(body.find(message), std::string::npos);
                    } else if (!conf) {
                        EXPECT_NE(body.find(message), std::string::npos);
                    }
                    std::string back;
                    gssp_status minor = 0;
                    EXPECT_EQ(UnwrapText(to, token, &back, &minor), 0u) << std::hex << minor;
                    EXPECT_EQ(back, message);
                    // A context never takes its own token.
                    EXPECT_EQ(UnwrapText(from, token, &back, &minor), kBadSig);
                    EXPECT_EQ(minor, QXTEST_MINOR_INTEGRITY);
                    gssp_release_buffer(nullptr, &token);
                }
            }
        }
    }
}

TEST_F(Messages, OnlyTheMatchingPeerUnwraps) {
    auto x = Established(2, 2);
    auto y = Established(2, 2);
    gssp_buffer_desc token{};
    ASSERT_EQ(WrapText(x->clientContext, 1, "for x only", &token), 0u);
    std::string back;
    gssp_status minor = 0;
    EXPECT_EQ(UnwrapText(y->serverContext, token, &back, &minor), kBadSig);
    EXPECT_EQ(minor, QXTEST_MINOR_INTEGRITY);
    EXPECT_EQ(back, "");
    // Another mechanism does not take the context at all.
    gssp_buffer_desc out{};
    EXPECT_EQ(Mech("TESTB").unwrap(&minor, x->serverContext, &token, &out, nullptr, nullptr), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_HANDLE);
    gssp_release_buffer(nullptr, &token);
}

TEST_F(Messages, AnyChangedByteOfAWrapTokenIsRefused) {
    auto x = Established(1, 1);
    for (int conf : {0, 1}) {
        gssp_buffer_desc token{};
        ASSERT_EQ(WrapText(x->clientContext, conf, "pay 100 to bob", &token), 0u);
        auto* bytes = static_cast<unsigned char*>(token.value);
        for (uint64_t i = 0; i < token.length; ++i) {
            bytes[i] ^= 0x01;
            std::string back;
            gssp_status minor = 0;
            const gssp_status major = UnwrapText(x->serverContext, token, &back, &minor);
            EXPECT_TRUE(major == kBadSig || major == kDefectiveToken) << "byte " << i;
            EXPECT_EQ(back, "");
            bytes[i] ^= 0x01;
        }
        // Cut short: a defective token, never a read past its end.
        for (uint64_t length : {uint64_t{0}, uint64_t{4}, uint64_t{12}}) {
            gssp_buffer_desc cut{length, token.value};
            std::string back;
            gssp_status minor = 0;
            EXPECT_TRUE(GSSP_ERROR(UnwrapText(x->serverContext, cut, &back, &minor)));
        }
        gssp_release_buffer(nullptr, &token);
    }
}

TEST_F(Messages, VerifyMicDetectsAChangedMessageOrToken) {
    auto x = Established(2, 1);
    std::string message = "the quick brown fox";
    gssp_buffer_desc in = View(message);
    gssp_buffer_desc mic{};
    gssp_status minor = 0;
    ASSERT_EQ(m().get_mic(&minor, x->serverContext, 0, &in, &mic), 0u);
    uint32_t qop = 9;
    EXPECT_EQ(m().verify_mic(&minor, x->clientContext, &in, &mic, &qop), 0u);
    EXPECT_EQ(qop, 0u);
    EXPECT_EQ(m().verify_mic(&minor, x->serverContext, &in, &mic, nullptr), kBadSig);  // its own MIC
    for (size_t i = 0; i < message.size(); ++i) {
        message[i] ^= 0x20;
        gssp_buffer_desc changed = View(message);
        EXPECT_EQ(m().verify_mic(&minor, x->clientContext, &changed, &mic, nullptr), kBadSig) << "message byte " << i;
        EXPECT_EQ(minor, QXTEST_MINOR_INTEGRITY);
        message[i] ^= 0x20;
    }
    auto* bytes = static_cast<unsigned char*>(mic.value);
    for (uint64_t i = 0; i < mic.length; ++i) {
        bytes[i] ^= 0x80;
        EXPECT_TRUE(GSSP_ERROR(m().verify_mic(&minor, x->clientContext, &in, &mic, nullptr))) << "token byte " << i;
        bytes[i] ^= 0x80;
    }
    std::string longer = message + "!";
    gssp_buffer_desc extended = View(longer);
    EXPECT_EQ(m().verify_mic(&minor, x->clientContext, &extended, &mic, nullptr), kBadSig);
    gssp_buffer_desc shortToken{mic.length - 1, mic.value};
    EXPECT_EQ(m().verify_mic(&minor, x->clientContext, &in, &shortToken, nullptr), kDefectiveToken);
    gssp_release_buffer(nullptr, &mic);
}

TEST_F(Messages, WrapSizeLimitMatchesWhatWrapProduces) {
    auto x = Established(1, 1);
    gssp_status minor = 0;
    for (uint32_t limit : {13u, 14u, 100u, 4096u}) {
        uint32_t max = 0;
        ASSERT_EQ(m().wrap_size_limit(&minor, x->clientContext, 1, 0, limit, &max), 0u);
        gssp_buffer_desc token{};
        ASSERT_EQ(WrapText(x->clientContext, 1, std::string(max, 'a'), &token), 0u);
        EXPECT_EQ(token.length, limit);
        gssp_release_buffer(nullptr, &token);
    }
    uint32_t max = 7;
    ASSERT_EQ(m().wrap_size_limit(&minor, x->clientContext, 1, 0, 5, &max), 0u);
    EXPECT_EQ(max, 0u);
    EXPECT_TRUE(GSSP_ERROR(m().wrap_size_limit(&minor, x->clientContext, 1, 0, 100, nullptr)));
}

TEST_F(Messages, PerMessageCallsBeforeCompletionOrWithoutBuffersFailCleanly) {
    qxtest_script_desc script{};
    script.init_legs = 2;
    ASSERT_EQ(qxtest_script("QXTEST1", &script), 0);
    Exchange x(m(), m(), nullptr);
    gssp_status minor = 0;
    ASSERT_EQ(x.Init(&minor), GSSP_S_CONTINUE_NEEDED);
    gssp_buffer_desc in = View("early");
    gssp_buffer_desc out{};
    uint32_t max = 0;
    EXPECT_EQ(m().wrap(&minor, x.clientContext, 1, 0, &in, nullptr, &out), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(minor, QXTEST_MINOR_NOT_READY);
    EXPECT_EQ(out.length, 0u);
    EXPECT_EQ(m().get_mic(&minor, x.clientContext, 0, &in, &out), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(m().wrap_size_limit(&minor, x.clientContext, 1, 0, 100, &max), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(m().unwrap(&minor, nullptr, &in, &out, nullptr, nullptr), GSSP_S_NO_CONTEXT);
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_HANDLE);

    auto done = Established(1, 1);
    EXPECT_TRUE(GSSP_ERROR(m().wrap(&minor, done->clientContext, 1, 0, nullptr, nullptr, &out)));
    EXPECT_EQ(minor, QXTEST_MINOR_BAD_ARGUMENT);
    EXPECT_TRUE(GSSP_ERROR(m().wrap(&minor, done->clientContext, 1, 0, &in, nullptr, nullptr)));
    gssp_buffer_desc dangling{5, nullptr};
    EXPECT_TRUE(GSSP_ERROR(m().get_mic(&minor, done->clientContext, 0, &dangling, &out)));
    EXPECT_TRUE(GSSP_ERROR(m().verify_mic(&minor, done->serverContext, &in, nullptr, nullptr)));
    EXPECT_EQ(out.length, 0u);
}

}  // namespace
}  // namespace qxtest_tests
