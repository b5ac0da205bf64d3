// The per-message calls over the framework stand-in: the argument checks and
// their order, the refusal before the negotiation is Completed or with a
// selection outside the table or the list, missing entry points, and the
// hand-over to the selected mechanism with its statuses passed unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_context.h"
#include "neg_mech.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "plain_mechanism.h"
#include "test_memory.h"

namespace {

const uint32_t kOk = 0x230003E8u;
const uint32_t kFailure = 0x000D0000u;

// What the test mechanism saw and what it answers.
struct MechCall {
    std::string name;
    gssp_ctx_id_t context = nullptr;
    uint32_t qop = 0;
    int conf_req = 0;
    std::string input;
};
std::vector<MechCall> g_calls;
gssp_status g_major = 0;
gssp_status g_minor = 0;
int g_mech_context = 0;  // the selected mechanism's context handle points here
char g_produced[] = "produced";

std::string Text(const gssp_buffer_desc* b) {
    return b && b->value ? std::string(static_cast<const char*>(b->value), static_cast<size_t>(b->length)) : "";
}

gssp_status Answer(gssp_status* minor, gssp_buffer_t output) {
    if (output) {
        output->value = g_produced;
        output->length = sizeof g_produced - 1;
    }
    *minor = g_minor;
    return g_major;
}

gssp_status MechWrapSizeLimit(gssp_status* minor, gssp_ctx_id_t ctx, int conf, uint32_t qop, uint32_t req,
                              uint32_t* max) {
    g_calls.push_back({"wrap_size_limit", ctx, qop, conf, std::to_string(req)});
    *max = req - 40;
    *minor = g_minor;
    return g_major;
}
gssp_status MechWrap(gssp_status* minor, gssp_ctx_id_t ctx, int conf, uint32_t qop, gssp_buffer_t in, int* state,
                     gssp_buffer_t out) {
    g_calls.push_back({"wrap", ctx, qop, conf, Text(in)});
    if (state) *state = 1;
    return Answer(minor, out);
}
gssp_status MechUnwrap(gssp_status* minor, gssp_ctx_id_t ctx, gssp_buffer_t in, gssp_buffer_t out, int* state,
                       uint32_t* qop) {
    g_calls.push_back({"unwrap", ctx, 0, 0, Text(in)});
    if (state) *state = 1;
    if (qop) *qop = 7;
    return Answer(minor, out);
}
gssp_status MechGetMic(gssp_status* minor, gssp_ctx_id_t ctx, uint32_t qop, gssp_buffer_t msg, gssp_buffer_t tok) {
    g_calls.push_back({"get_mic", ctx, qop, 0, Text(msg)});
    return Answer(minor, tok);
}
gssp_status MechVerifyMic(gssp_status* minor, gssp_ctx_id_t ctx, gssp_buffer_t msg, gssp_buffer_t tok,
                          uint32_t* qop) {
    g_calls.push_back({"verify_mic", ctx, 0, 0, Text(msg) + "|" + Text(tok)});
    if (qop) *qop = 7;
    return Answer(minor, nullptr);
}

// The outputs of one call, preset to values the call must clear.
struct Io {
    gssp_buffer_desc output = {99, g_produced};
    int conf_state = 5;
    uint32_t qop_state = 5;
};

// One of the four delegated calls, with the message (and token) given.
struct Call {
    const char* name;
    std::function<gssp_status(gssp_status*, gssp_ctx_id_t, gssp_buffer_t, gssp_buffer_t, Io&)> run;
    bool has_output;
};

const std::vector<Call>& Calls() {
    static const std::vector<Call> calls = {
        {"wrap",
         [](gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t in, gssp_buffer_t, Io& io) {
             return QXNEGO_wrap(m, c, 1, 3, in, &io.conf_state, &io.output);
         },
         true},
        {"unwrap",
         [](gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t in, gssp_buffer_t, Io& io) {
             return QXNEGO_unwrap(m, c, in, &io.output, &io.conf_state, &io.qop_state);
         },
         true},
        {"get_mic",
         [](gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t in, gssp_buffer_t, Io& io) {
             return QXNEGO_get_mic(m, c, 3, in, &io.output);
         },
         true},
        {"verify_mic",
         [](gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t in, gssp_buffer_t tok, Io& io) {
             return QXNEGO_verify_mic(m, c, in, tok, &io.qop_state);
         },
         false},
    };
    return calls;
}

void ExpectCleared(const Call& call, const Io& io) {
    if (call.has_output) {
        EXPECT_EQ(0u, io.output.length) << call.name;
        EXPECT_EQ(nullptr, io.output.value) << call.name;
    }
    const std::string name = call.name;
    if (name == "wrap" || name == "unwrap") {
        EXPECT_EQ(0, io.conf_state) << name;
    }
    if (name == "unwrap" || name == "verify_mic") {
        EXPECT_EQ(0u, io.qop_state) << name;
    }
}

class PerMessageTest : public testing::Test {
protected:
    void SetUp() override {
        test_memory::reset();
        qxgss::ResetFramework();
        g_calls.clear();
        g_major = 0;
        g_minor = 0;
        gssp_mech_info full;
        memset(&full, 0, sizeof full);
        full.wrap_size_limit = MechWrapSizeLimit;
        full.wrap = MechWrap;
        full.unwrap = MechUnwrap;
        full.get_mic = MechGetMic;
        full.verify_mic = MechVerifyMic;
        gssp_mech_info bare;
        memset(&bare, 0, sizeof bare);
        Add("MECHA", "1.3.6.1.4.1.99.1", full, {});
        Add("MECHB", "1.3.6.1.4.1.99.2", bare, {});
        Add("QXNEGO", "1.3.6.1.4.1.99.100", bare, {{true, "1.3.6.1.4.1.99.1"}, {true, "1.3.6.1.4.1.99.2"}});
        ASSERT_EQ(0u, QXNEGO_configure(&minor_, nullptr, nullptr, nullptr));
        ASSERT_EQ(0u, QXNEGO_INT_CreateNegContext(&minor_, 1, &handle_));
        ctx_ = static_cast<NegContext*>(handle_);
        ASSERT_EQ(2u, ctx_->mech_list.count);
    }

    void TearDown() override {
        EXPECT_EQ(0u, QXNEGO_delete_sec_context(&minor_, &handle_, nullptr));
        QXNEGO_INT_ReleaseProcessState(&minor_);
        EXPECT_EQ(0, test_memory::live_blocks());
        qxgss::ResetFramework();
    }

    static void Add(const char* name, const char* oid, const gssp_mech_info& ep,
                    std::vector<std::pair<bool, std::string>> negotiable) {
        AddPlainMechanism(name, oid, ep, std::move(negotiable));
    }

    // As the negotiation leaves a context that selected list entry k.
    void Complete(uint32_t k) {
        ctx_->NegState = QXNEGO_NEG_STATE_COMPLETED;
        ctx_->selected_entry_index = (int32_t)k;
        ctx_->selected_mech_index = ctx_->mech_list.entries[k].mech_index;
        ctx_->mech_list.entries[k].context = &g_mech_context;
    }

    uint32_t EntryOf(const char* name) const {
        for (uint32_t k = 0; k < ctx_->mech_list.count; ++k)
            if (std::string(pMechInfo[ctx_->mech_list.entries[k].mech_index].name) == name) return k;
        ADD_FAILURE() << name;
        return 0;
    }

    gssp_status minor_ = 0;
    gssp_ctx_id_t handle_ = nullptr;
    NegContext* ctx_ = nullptr;
    char message_[4] = {'m', 's', 'g', '\0'};
    char token_[4] = {'t', 'o', 'k', '\0'};
    gssp_buffer_desc message_buffer_ = {3, message_};
    gssp_buffer_desc token_buffer_ = {3, token_};
};

TEST_F(PerMessageTest, BeforeCompletionEveryCallIsRefusedWithItsOutputsCleared) {
    for (uint32_t state : {QXNEGO_NEG_STATE_INCOMPLETE, QXNEGO_NEG_STATE_REJECT, QXNEGO_NEG_STATE_INVALID}) {
        ctx_->NegState = state;
        for (const Call& call : Calls()) {
            Io io;
            gssp_status minor = 0;
            EXPECT_EQ(kFailure, call.run(&minor, handle_, &message_buffer_, &token_buffer_, io)) << call.name;
            EXPECT_EQ(0xE3000414u, minor) << call.name;
            ExpectCleared(call, io);
        }
        uint32_t max = 77;
        gssp_status minor = 0;
        EXPECT_EQ(0x00080000u, QXNEGO_wrap_size_limit(&minor, handle_, 1, 0, 1000, &max));
        EXPECT_EQ(0xE3000401u, minor);
        EXPECT_EQ(0u, max);
    }
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(PerMessageTest, CompletedCallsReachTheSelectedMechanismWithItsStatusesUnchanged) {
    Complete(EntryOf("MECHA"));
    // A success with a non-zero minor, and a failure, both come back as the mechanism gave them.
    const std::pair<gssp_status, gssp_status> answers[] = {{0, 0xE4000123u}, {0x00060000u, 0xE4000456u}};
    for (const auto& answer : answers) {
        g_major = answer.first;
        g_minor = answer.second;
        for (const Call& call : Calls()) {
            g_calls.clear();
            Io io;
            gssp_status minor = 0;
            EXPECT_EQ(answer.first, call.run(&minor, handle_, &message_buffer_, &token_buffer_, io)) << call.name;
            EXPECT_EQ(answer.second, minor) << call.name;
            ASSERT_EQ(1u, g_calls.size()) << call.name;
            EXPECT_EQ(call.name, g_calls[0].name);
            EXPECT_EQ(&g_mech_context, g_calls[0].context) << call.name;
            EXPECT_EQ(call.name == std::string("verify_mic") ? "msg|tok" : "msg", g_calls[0].input);
            if (call.has_output) {
                EXPECT_EQ("produced", Text(&io.output)) << call.name;
            }
            if (call.name == std::string("wrap")) {
                EXPECT_EQ(1, g_calls[0].conf_req);
                EXPECT_EQ(3u, g_calls[0].qop);
                EXPECT_EQ(1, io.conf_state);
            }
            if (call.name == std::string("verify_mic") || call.name == std::string("unwrap")) {
                EXPECT_EQ(7u, io.qop_state);
            }
        }
    }
    // The caller need not take the minor status.
    Io io;
    g_major = 0;
    EXPECT_EQ(0u, QXNEGO_wrap(nullptr, handle_, 0, 0, &message_buffer_, nullptr, &io.output));
}

TEST_F(PerMessageTest, ArgumentsAreCheckedInOrderBeforeTheState) {
    // Incomplete: an argument fault is reported before the state is looked at.
    gssp_buffer_desc no_length = {0, message_};
    gssp_buffer_desc no_bytes = {3, nullptr};
    for (const Call& call : Calls()) {
        gssp_status minor = 0;
        Io io;
        if (call.has_output) {
            // No output buffer comes first, even without a context.
            const bool is_wrap = call.name == std::string("wrap");
            const bool is_unwrap = call.name == std::string("unwrap");
            int conf = 5;
            uint32_t qop = 5;
            gssp_status major = is_wrap     ? QXNEGO_wrap(&minor, nullptr, 0, 0, nullptr, &conf, nullptr)
                                : is_unwrap ? QXNEGO_unwrap(&minor, nullptr, nullptr, nullptr, &conf, &qop)
                                            : QXNEGO_get_mic(&minor, nullptr, 0, nullptr, nullptr);
            EXPECT_EQ(0x020D0000u, major) << call.name;
            EXPECT_EQ(0xE30003FAu, minor) << call.name;
            if (is_wrap || is_unwrap) {
                EXPECT_EQ(0, conf);
            }
            if (is_unwrap) {
                EXPECT_EQ(0u, qop);
            }
        }
        EXPECT_EQ(0x01080000u, call.run(&minor, nullptr, nullptr, nullptr, io)) << call.name;
        EXPECT_EQ(0xE30003FFu, minor) << call.name;
        ExpectCleared(call, io);
        for (gssp_buffer_t bad : {(gssp_buffer_t) nullptr, &no_length, &no_bytes}) {
            Io bad_io;
            EXPECT_EQ(0x010D0000u, call.run(&minor, handle_, bad, &token_buffer_, bad_io)) << call.name;
            EXPECT_EQ(0xE3000402u, minor) << call.name;
            ExpectCleared(call, bad_io);
        }
    }
    // verify_mic's token is checked like its message.
    for (gssp_buffer_t bad : {(gssp_buffer_t) nullptr, &no_length, &no_bytes}) {
        gssp_status minor = 0;
        uint32_t qop = 5;
        EXPECT_EQ(0x010D0000u, QXNEGO_verify_mic(&minor, handle_, &message_buffer_, bad, &qop));
        EXPECT_EQ(0xE3000402u, minor);
        EXPECT_EQ(0u, qop);
    }
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(PerMessageTest, SelectedMechanismWithoutTheEntryPoint) {
    Complete(EntryOf("MECHB"));
    for (const Call& call : Calls()) {
        Io io;
        gssp_status minor = 0;
        EXPECT_EQ(0x00100000u, call.run(&minor, handle_, &message_buffer_, &token_buffer_, io)) << call.name;
        EXPECT_EQ(0xE1000067u, minor) << call.name;
        ExpectCleared(call, io);
    }
    uint32_t max = 77;
    gssp_status minor = 0;
    EXPECT_EQ(kFailure, QXNEGO_wrap_size_limit(&minor, handle_, 1, 0, 1000, &max));
    EXPECT_EQ(0xE30003F2u, minor);
    EXPECT_EQ(0u, max);
}

TEST_F(PerMessageTest, SelectionOutsideTheTableOrTheListIsRefused) {
    const uint32_t a = EntryOf("MECHA");
    Complete(a);
    const int32_t good_mech = ctx_->selected_mech_index;
    const struct {
        int32_t mech;
        int32_t entry;
    } cases[] = {{-1, (int32_t)a}, {(int32_t)MechCount, (int32_t)a}, {good_mech, -1},
                 {good_mech, (int32_t)ctx_->mech_list.count}, {INT32_MIN, INT32_MAX}};
    for (const auto& c : cases) {
        ctx_->selected_mech_index = c.mech;
        ctx_->selected_entry_index = c.entry;
        for (const Call& call : Calls()) {
            Io io;
            gssp_status minor = 0;
            EXPECT_EQ(kFailure, call.run(&minor, handle_, &message_buffer_, &token_buffer_, io))
                << call.name << " " << c.mech << "/" << c.entry;
            EXPECT_EQ(0xE3000414u, minor);
            ExpectCleared(call, io);
        }
        uint32_t max = 77;
        gssp_status minor = 0;
        EXPECT_EQ(kFailure, QXNEGO_wrap_size_limit(&minor, handle_, 1, 0, 1000, &max)) << c.mech << "/" << c.entry;
        EXPECT_EQ(0xE3000400u, minor);
    }
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(PerMessageTest, WrapSizeLimit) {
    uint32_t max = 77;
    gssp_status minor = 0;
    EXPECT_EQ(0x01080000u, QXNEGO_wrap_size_limit(&minor, nullptr, 1, 0, 1000, &max));
    EXPECT_EQ(0xE30003F6u, minor);
    EXPECT_EQ(0x02000000u, QXNEGO_wrap_size_limit(&minor, handle_, 1, 0, 1000, nullptr));
    EXPECT_EQ(0xE30003F7u, minor);

    Complete(EntryOf("MECHA"));
    // On success the mechanism's minor gives way to this mechanism's success.
    g_minor = 0xE4000123u;
    EXPECT_EQ(0u, QXNEGO_wrap_size_limit(&minor, handle_, 1, 2, 1000, &max));
    EXPECT_EQ(kOk, minor);
    EXPECT_EQ(960u, max);
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(&g_mech_context, g_calls[0].context);
    EXPECT_EQ(1, g_calls[0].conf_req);
    EXPECT_EQ(2u, g_calls[0].qop);
    EXPECT_EQ("1000", g_calls[0].input);
    // A failure comes back as the mechanism gave it.
    g_major = 0x00090000u;
    g_minor = 0xE4000456u;
    EXPECT_EQ(0x00090000u, QXNEGO_wrap_size_limit(&minor, handle_, 1, 2, 1000, &max));
    EXPECT_EQ(0xE4000456u, minor);
}

}  // namespace
