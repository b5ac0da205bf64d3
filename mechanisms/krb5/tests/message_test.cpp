// The per-message services on an established Kerberos context, both ways.
#include "harness.hpp"

namespace qxkrb5_tests {
namespace {

class Messages : public Framework {
protected:
    void SetUp() override {
        Framework::SetUp();
        if (HasFatalFailure()) return;
        exchange_ = std::make_unique<Exchange>(krb5_);
        ASSERT_TRUE(exchange_->Run());
    }
    void TearDown() override {
        exchange_.reset();
        Framework::TearDown();
    }
    qxgss_ctx_t Side(bool client) const { return client ? exchange_->client : exchange_->server; }

    std::unique_ptr<Exchange> exchange_;
};

TEST_F(Messages, WrapAndUnwrapBothWays) {
    struct Case {
        bool fromClient;
        int conf;
        std::string message;
    };
    const Case cases[] = {
        {true, 1, "client to server, sealed"},   {false, 1, "server to client, sealed"},
        {true, 0, "client to server, signed"},   {false, 0, "server to client, signed"},
        {true, 1, ""},                           {false, 1, std::string(70000, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fromClient ? "client" : "server") + " conf " + std::to_string(c.conf) + " size " +
                     std::to_string(c.message.size()));
        gssp_status minor = 0;
        Buffer input(c.message), wrapped, unwrapped;
        int conf_state = -1;
        ASSERT_EQ(qxgss_wrap(&minor, Side(c.fromClient), c.conf, &input.desc, &conf_state, &wrapped.desc),
                  GSSP_S_COMPLETE)
            << MinorText(minor);
        EXPECT_EQ(conf_state, c.conf);
        if (c.conf && !c.message.empty()) {
            EXPECT_EQ(wrapped.text().find(c.message), std::string::npos);
        }
        conf_state = -1;
        ASSERT_EQ(qxgss_unwrap(&minor, Side(!c.fromClient), &wrapped.desc, &unwrapped.desc, &conf_state),
                  GSSP_S_COMPLETE)
            << MinorText(minor);
        EXPECT_EQ(unwrapped.text(), c.message);
        EXPECT_EQ(conf_state, c.conf);
    }
}

TEST_F(Messages, UnwrapRefusesChangedTokensAndTheSendersOwn) {
    gssp_status minor = 0;
    Buffer input("pay 10 to bob"), wrapped;
    ASSERT_EQ(qxgss_wrap(&minor, Side(true), 1, &input.desc, nullptr, &wrapped.desc), GSSP_S_COMPLETE);
    const std::string token = wrapped.text();
    struct Case {
        const char* what;
        std::string token;
        bool toServer;
    };
    std::string flipped = token;
    flipped[flipped.size() - 3] ^= 0x01;
    const Case cases[] = {
        {"a changed byte", flipped, true},
        {"cut short", token.substr(0, token.size() - 4), true},
        {"the sender's own token back to it", token, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Buffer damaged(c.token), out;
        const gssp_status major = qxgss_unwrap(&minor, Side(!c.toServer), &damaged.desc, &out.desc, nullptr);
        EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << major;
        EXPECT_NE(minor, 0u);
        EXPECT_EQ(out.desc.length, 0u);
        EXPECT_EQ(out.desc.value, nullptr);
    }
}

TEST_F(Messages, VerifyMicDetectsChanges) {
    gssp_status minor = 0;
    Buffer message("transfer 10 to bob"), mic;
    ASSERT_EQ(qxgss_get_mic(&minor, Side(false), &message.desc, &mic.desc), GSSP_S_COMPLETE) << MinorText(minor);
    ASSERT_GT(mic.desc.length, 0u);
    EXPECT_EQ(qxgss_verify_mic(&minor, Side(true), &message.desc, &mic.desc), GSSP_S_COMPLETE) << MinorText(minor);

    std::string changed_mic = mic.text();
    changed_mic.back() ^= 0x01;
    struct Case {
        const char* what;
        std::string message, mic;
    };
    const Case cases[] = {
        {"a changed message", "transfer 90 to bob", mic.text()},
        {"a longer message", "transfer 10 to bob!", mic.text()},
        {"a changed token", message.text(), changed_mic},
        {"a cut token", message.text(), mic.text().substr(0, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Buffer m(c.message), t(c.mic);
        const gssp_status major = qxgss_verify_mic(&minor, Side(true), &m.desc, &t.desc);
        EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << major;
        EXPECT_NE(minor, 0u);
    }
}

TEST_F(Messages, WrapSizeLimitLeavesRoomForTheToken) {
    const gssp_mech_info& m = Mech("QXKRB5");
    gssp_ctx_id_t context = qxgss_context_handle(Side(true));
    gssp_status minor = 0;
    uint32_t max_input = 0;
    ASSERT_EQ(m.wrap_size_limit(&minor, context, 1, 0, 1000, &max_input), GSSP_S_COMPLETE);
    ASSERT_GT(max_input, 0u);
    ASSERT_LT(max_input, 1000u);
    Buffer input(std::string(max_input, 'a')), wrapped;
    ASSERT_EQ(qxgss_wrap(&minor, Side(true), 1, &input.desc, nullptr, &wrapped.desc), GSSP_S_COMPLETE);
    EXPECT_LE(wrapped.desc.length, 1000u);
}

TEST_F(Messages, CallsWithoutAContextOrBytesFailCleanly) {
    const gssp_mech_info& m = Mech("QXKRB5");
    gssp_status minor = 0;
    gssp_buffer_desc broken = {8, nullptr};
    gssp_buffer_desc out{};
    EXPECT_TRUE(GSSP_ERROR(m.wrap(&minor, nullptr, 1, 0, &broken, nullptr, &out)));
    EXPECT_EQ(minor, QXGSS_MINOR_INVALID_ARGUMENT);
    gssp_ctx_id_t context = qxgss_context_handle(Side(true));
    EXPECT_TRUE(GSSP_ERROR(m.wrap(&minor, context, 1, 0, &broken, nullptr, &out)));
    EXPECT_TRUE(GSSP_ERROR(m.get_mic(&minor, context, 0, &broken, &out)));
    EXPECT_TRUE(GSSP_ERROR(m.verify_mic(&minor, context, &broken, &broken, nullptr)));
    EXPECT_EQ(out.value, nullptr);
    // Kerberos knows only the default protection.
    Buffer input("x");
    EXPECT_TRUE(GSSP_ERROR(m.wrap(&minor, context, 1, 7, &input.desc, nullptr, &out)));
    EXPECT_EQ(out.value, nullptr);
}

}  // namespace
}  // namespace qxkrb5_tests
