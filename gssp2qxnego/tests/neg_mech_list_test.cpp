// The negotiation mechanism list over the framework stand-in: building and
// ordering the process-wide list, copying it into a context, state changes,
// the selection rule, merging the peer's reports and release, with the
// plug-in's allocator replaced so that any allocation can be made to fail.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "mechanism_status.h"
#include "neg_log.h"
#include "neg_mech.h"
#include "neg_mech_list.h"
#include "plugin_memory.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "test_memory.h"

namespace {

const uint32_t kOk = 0x230003E8u;
const uint32_t kFailure = 0x000D0000u;
const uint32_t kWriteFailure = 0x020D0000u;
const uint32_t kReadFailure = 0x010D0000u;

enum { AV = QXNEGO_MECH_STATE_AVAILABLE, SEL = QXNEGO_MECH_STATE_SELECTED, REJ = QXNEGO_MECH_STATE_REJECTED };

// The test mechanisms' release calls, counted; one can be made to fail.
int g_release_cred = 0, g_delete_context = 0, g_release_name = 0;
bool g_release_cred_fails = false;

gssp_status TestReleaseCred(gssp_status* minor, gssp_cred_id_t* cred) {
    ++g_release_cred;
    *cred = nullptr;
    *minor = g_release_cred_fails ? 0xE1000099u : 0u;
    return g_release_cred_fails ? kFailure : 0u;
}
gssp_status TestDeleteContext(gssp_status* minor, gssp_ctx_id_t* ctx, gssp_buffer_t out) {
    ++g_delete_context;
    EXPECT_EQ(nullptr, out);
    *ctx = nullptr;
    *minor = 0;
    return 0;
}
gssp_status TestReleaseName(gssp_status* minor, gssp_name_t* name) {
    ++g_release_name;
    *name = nullptr;
    *minor = 0;
    return 0;
}

struct Mech {
    const char* name;
    const char* oid;
    int preferred;
    int rank;
    bool enabled;
};

const Mech kA = {"MECHA", "1.3.6.1.4.1.99.1", 0, 1, true};
const Mech kB = {"MECHB", "1.3.6.1.4.1.99.2", 1, 5, true};
const Mech kC = {"MECHC", "1.3.6.1.4.1.99.3", 1, 2, true};
const Mech kD = {"MECHD", "1.3.6.1.4.1.99.4", 0, 0, true};
const Mech kE = {"MECHE", "1.3.6.1.4.1.99.5", 0, 2, true};
const char kNegoOid[] = "1.3.6.1.4.1.99.100";
const char kUnknownOid[] = "1.3.6.1.4.1.99.77";

// The two configuration steps this file is about: QXNEGO's own index in the
// table, then the process-wide list (QXNEGO_configure runs them among others).
gssp_status InitProcessState(gssp_status* minor) {
    gssp_status m = 0;
    gssp_OID own = nullptr;
    uint32_t index = GSSP_NO_MECH_INDEX;
    if (GSSP_ERROR(gssp_mechstr_to_oid(&m, "QXNEGO", &own)) || GSSP_ERROR(gssp_oid_to_mechindex(&m, own, &index)))
        return GSSP_S_FAILURE;
    qxnego_process_state.own_mech_index = (int32_t)index;
    return QXNEGO_INT_InitNegMechList(minor, &qxnego_process_state.mech_list);
}

class NegMechListTest : public testing::Test {
protected:
    void SetUp() override {
        test_memory::reset();
        qxgss::ResetFramework();
        g_release_cred = g_delete_context = g_release_name = 0;
        g_release_cred_fails = false;
        memset(&ctx_, 0, sizeof ctx_);
        ctx_.IsInitiator = 1;
        ctx_.NegState = QXNEGO_NEG_STATE_INCOMPLETE;
        ctx_.NegStateFromPeer = QXNEGO_NEG_STATE_INCOMPLETE;
        ctx_.selected_entry_index = -1;
        ctx_.selected_mech_index = -1;
        ASSERT_EQ(0u, QXNEGO_INT_InitNegLog(&minor_, &ctx_));
    }

    void TearDown() override {
        EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegMechList(&minor_, &ctx_.mech_list));
        EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor_, &ctx_));
        QXNEGO_INT_ReleaseProcessState(&minor_);
        EXPECT_EQ(0, test_memory::live_blocks());
        qxgss::ResetFramework();
    }

    uint32_t Add(const Mech& m, std::vector<std::pair<bool, std::string>> negotiable = {}) {
        qxgss::MechanismDefinition d;
        d.name = m.name;
        d.oid = m.oid;
        d.enabled = m.enabled;
        d.properties[QXGSS_PROPERTY_NEGOTIATION_PREFERRED] = m.preferred;
        d.properties[QXGSS_PROPERTY_RANK] = m.rank;
        d.properties[QXGSS_PROPERTY_SSO_SUPPORTED] = m.preferred;
        d.negotiable = std::move(negotiable);
        gssp_mech_info ep;
        memset(&ep, 0, sizeof ep);
        ep.release_cred = TestReleaseCred;
        ep.delete_sec_context = TestDeleteContext;
        ep.release_name = TestReleaseName;
        uint32_t index = 0;
        std::string error;
        EXPECT_TRUE(qxgss::AddMechanism(d, ep, &index, &error)) << error;
        return index;
    }

    // The mechanisms, then QXNEGO negotiating the given items.
    void Configure(const std::vector<Mech>& mechs, std::vector<std::pair<bool, std::string>> items) {
        for (const Mech& m : mechs) Add(m);
        Add({"QXNEGO", kNegoOid, 0, 0, true}, std::move(items));
    }

    static std::vector<std::pair<bool, std::string>> Items(const std::vector<Mech>& mechs) {
        std::vector<std::pair<bool, std::string>> items;
        for (const Mech& m : mechs) items.push_back({true, m.oid});
        return items;
    }

    static std::vector<std::string> Names(const NegMechList& list) {
        std::vector<std::string> names;
        for (uint32_t k = 0; k < list.count; ++k) {
            const char* name = nullptr;
            gssp_status m = 0;
            names.push_back(GSSP_ERROR(gssp_oid_to_mechstr(&m, list.entries[k].oid, &name)) ? "?" : name);
        }
        return names;
    }

    // The context's list straight from the configuration.
    void ContextList(const std::vector<Mech>& mechs) {
        Configure(mechs, Items(mechs));
        ASSERT_EQ(0u, InitProcessState(&minor_));
        ASSERT_EQ(0u, QXNEGO_INT_GetNegMechList(&minor_, &qxnego_process_state.mech_list, &ctx_.mech_list, nullptr));
    }

    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (uint32_t k = 0; k < ctx_.log.count; ++k)
            texts.push_back(ctx_.log.records[k].text ? ctx_.log.records[k].text : "");
        return texts;
    }

    // True when want appears in the log in this order (other records may lie between).
    bool LogHasInOrder(const std::vector<std::string>& want) const {
        size_t w = 0;
        for (const std::string& t : LogTexts())
            if (w < want.size() && t == want[w]) ++w;
        return w == want.size();
    }

    // A decoded report of the peer for the mechanism with the dotted OID.
    NegMechEntry Decoded(const char* dotted, uint32_t state, uint32_t reason, const char* text = nullptr) {
        NegMechEntry d;
        memset(&d, 0, sizeof d);
        gssp_OID framework_oid = nullptr;
        gssp_status m = 0;
        EXPECT_EQ(0u, gssp_mechoidstr_to_oid(&m, dotted, &framework_oid));
        d.own_oid.length = framework_oid->length;
        d.own_oid.elements = qxnego_malloc(framework_oid->length);
        memcpy(d.own_oid.elements, framework_oid->elements, framework_oid->length);
        d.oid = &d.own_oid;
        d.MechState = state;
        d.MechReason = reason;
        d.mech_index = -1;
        if (text) {
            gssp_buffer_desc t = {strlen(text), const_cast<char*>(text)};
            EXPECT_EQ(0u, gssp_duplicate_buffer(&m, &t, &d.status_text));
        }
        return d;
    }

    static gssp_buffer_desc Buffer(const char* text) {
        gssp_buffer_desc in = {strlen(text), const_cast<char*>(text)}, out = {0, nullptr};
        gssp_status m = 0;
        EXPECT_EQ(0u, gssp_duplicate_buffer(&m, &in, &out));
        return out;
    }

    static std::string Text(const gssp_buffer_desc& b) {
        return std::string(static_cast<const char*>(b.value), static_cast<size_t>(b.length));
    }

    NegContext ctx_;
    gssp_status minor_ = 0;
};

// ---- Building and ordering ---------------------------------------------------

struct OrderCase {
    const char* label;
    std::vector<Mech> mechs;  // in configuration order
    std::vector<std::string> expected;
};

TEST_F(NegMechListTest, OrdersPreferredFirstThenByRank) {
    const std::vector<OrderCase> cases = {
        {"flags and ranks mixed", {kA, kB, kC, kD}, {"MECHC", "MECHB", "MECHD", "MECHA"}},
        {"equal keys keep the exchange order",
         {{"MECHA", "1.3.6.1.4.1.99.1", 0, 1, true},
          {"MECHB", "1.3.6.1.4.1.99.2", 0, 1, true},
          {"MECHC", "1.3.6.1.4.1.99.3", 1, 2, true},
          {"MECHD", "1.3.6.1.4.1.99.4", 1, 2, true}},
         {"MECHC", "MECHD", "MECHA", "MECHB"}},
        {"negative ranks", {{"MECHA", "1.3.6.1.4.1.99.1", 0, 3, true}, {"MECHB", "1.3.6.1.4.1.99.2", 0, -2, true}},
         {"MECHB", "MECHA"}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.label);
        qxgss::ResetFramework();
        Configure(c.mechs, Items(c.mechs));
        ASSERT_EQ(0u, InitProcessState(&minor_));
        EXPECT_EQ(kOk, minor_);
        const NegMechList& list = qxnego_process_state.mech_list;
        EXPECT_EQ(c.expected, Names(list));
        for (uint32_t k = 0; k < list.count; ++k) {
            const NegMechEntry& e = list.entries[k];
            EXPECT_EQ(1u, e.report_flag);
            EXPECT_EQ((uint32_t)AV, e.MechState);
            EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_AVAILABLE, e.MechReason);
            EXPECT_EQ(nullptr, e.credential);
            EXPECT_EQ(0u, e.IsCtxEstablished);
            uint32_t index = 0;
            gssp_status m = 0;
            ASSERT_EQ(0u, gssp_oid_to_mechindex(&m, e.oid, &index));
            EXPECT_EQ((int32_t)index, e.mech_index);
            for (const Mech& mech : c.mechs) {
                if (Names(list)[k] == mech.name) {
                    EXPECT_EQ((uint32_t)mech.preferred, e.preferred);
                    EXPECT_EQ(mech.rank, e.rank);
                    EXPECT_EQ((uint32_t)mech.preferred, e.sso_supported);
                }
            }
        }
        QXNEGO_INT_ReleaseProcessState(&minor_);
    }
}

struct FilterCase {
    const char* label;
    std::vector<std::pair<bool, std::string>> items;  // besides a usable item for MECHA
};

TEST_F(NegMechListTest, LeavesOutWhatCannotBeNegotiated) {
    const std::vector<FilterCase> cases = {
        {"the PROXY mechanism", {{true, "1.3.6.1.4.1.99.50"}}},
        {"a disabled mechanism", {{true, "1.3.6.1.4.1.99.51"}}},
        {"QXNEGO itself", {{true, kNegoOid}}},
        {"an item not usable", {{false, kB.oid}}},
        {"a mechanism not in the table", {{true, kUnknownOid}}},
        {"text that is not an OID", {{true, "not.an.oid"}}},
        {"an empty text", {{true, ""}}},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.label);
        qxgss::ResetFramework();
        auto items = c.items;
        items.insert(items.begin() + 0, {true, kA.oid});
        items.push_back({true, kD.oid});
        Configure({kA, kB, kD, {"PROXY", "1.3.6.1.4.1.99.50", 1, -9, true}, {"MECHOFF", "1.3.6.1.4.1.99.51", 1, -9, false}},
                  items);
        ASSERT_EQ(0u, InitProcessState(&minor_));
        EXPECT_EQ((std::vector<std::string>{"MECHD", "MECHA"}), Names(qxnego_process_state.mech_list));
        QXNEGO_INT_ReleaseProcessState(&minor_);
    }
}

TEST_F(NegMechListTest, InitFailures) {
    struct Case {
        const char* label;
        std::vector<std::pair<bool, std::string>> items;
    };
    const std::vector<Case> cases = {
        {"no items", {}},
        {"no usable item", {{false, kA.oid}}},
        {"nothing resolves", {{true, kUnknownOid}, {true, kNegoOid}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        qxgss::ResetFramework();
        Configure({kA}, c.items);
        EXPECT_EQ(kFailure, InitProcessState(&minor_));
        EXPECT_EQ(0xE3000406u, minor_);
        EXPECT_EQ(0u, qxnego_process_state.mech_list.count);
        EXPECT_EQ(nullptr, qxnego_process_state.mech_list.entries);
    }
    EXPECT_EQ(kWriteFailure, QXNEGO_INT_InitNegMechList(&minor_, nullptr));
    EXPECT_EQ(0xE3000407u, minor_);

    qxgss::ResetFramework();
    Configure({kA}, Items({kA}));
    test_memory::fail_allocation(1);
    EXPECT_EQ(kFailure, InitProcessState(&minor_));
    EXPECT_EQ(0xE30003F9u, minor_);
    EXPECT_EQ(0u, qxnego_process_state.mech_list.count);
    EXPECT_EQ(nullptr, qxnego_process_state.mech_list.entries);
}

// ---- Copying into a context ---------------------------------------------------

TEST_F(NegMechListTest, CopyTakesTheEnabledEntriesAndLogsEach) {
    Configure({kA, kB, kC}, Items({kA, kB, kC}));
    ASSERT_EQ(0u, InitProcessState(&minor_));
    uint32_t b_index = 0;
    gssp_status m = 0;
    gssp_OID b_oid = nullptr;
    ASSERT_EQ(0u, gssp_mechstr_to_oid(&m, "MECHB", &b_oid));
    ASSERT_EQ(0u, gssp_oid_to_mechindex(&m, b_oid, &b_index));
    qxgss::DisableMechanism(b_index);

    ASSERT_EQ(0u, QXNEGO_INT_GetNegMechList(&minor_, &qxnego_process_state.mech_list, &ctx_.mech_list, &ctx_));
    EXPECT_EQ(kOk, minor_);
    EXPECT_EQ((std::vector<std::string>{"MECHC", "MECHA"}), Names(ctx_.mech_list));
    EXPECT_EQ(qxnego_process_state.mech_list.entries[0].oid, ctx_.mech_list.entries[0].oid);  // shared descriptor
    EXPECT_NE(qxnego_process_state.mech_list.entries, ctx_.mech_list.entries);
    EXPECT_EQ((std::vector<std::string>(2, QXNEGO_LOG_MECH_AVAILABLE)), LogTexts());
    EXPECT_EQ((uint32_t)AV, ctx_.log.records[0].mech_state);
    EXPECT_EQ(3u, qxnego_process_state.mech_list.count);  // the process-wide list is never changed
}

TEST_F(NegMechListTest, CopyFailures) {
    Configure({kA, kB}, Items({kA, kB}));
    ASSERT_EQ(0u, InitProcessState(&minor_));
    NegMechList dest = {5, reinterpret_cast<NegMechEntry*>(&dest)};
    const NegMechList empty = {0, nullptr};

    EXPECT_EQ(kWriteFailure, QXNEGO_INT_GetNegMechList(&minor_, &qxnego_process_state.mech_list, nullptr, &ctx_));
    EXPECT_EQ(0xE3000409u, minor_);
    EXPECT_EQ(kReadFailure, QXNEGO_INT_GetNegMechList(&minor_, nullptr, &dest, &ctx_));
    EXPECT_EQ(0xE3000409u, minor_);
    EXPECT_EQ(0u, dest.count);
    EXPECT_EQ(nullptr, dest.entries);
    EXPECT_EQ(kFailure, QXNEGO_INT_GetNegMechList(&minor_, &empty, &dest, &ctx_));
    EXPECT_EQ(0xE3000406u, minor_);

    // Every allocation of the copy (the array, each log record) fails in turn.
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        test_memory::fail_allocation(n);
        const gssp_status major =
            QXNEGO_INT_GetNegMechList(&minor_, &qxnego_process_state.mech_list, &ctx_.mech_list, &ctx_);
        test_memory::fail_allocation(0);
        if (major == 0) {
            EXPECT_GT(n, 1);
            break;
        }
        EXPECT_EQ(kFailure, major);
        EXPECT_TRUE(minor_ == 0xE30003F9u || minor_ == 0xE30003F8u) << std::hex << minor_;
        EXPECT_EQ(0u, ctx_.mech_list.count);
        EXPECT_EQ(nullptr, ctx_.mech_list.entries);
        ASSERT_LT(n, 50);
    }
    EXPECT_EQ(2u, ctx_.mech_list.count);

    // Every mechanism disabled since configuration.
    NegMechList none = {0, nullptr};
    for (uint32_t k = 0; k < MechCount; ++k) qxgss::DisableMechanism(k);
    EXPECT_EQ(kFailure, QXNEGO_INT_GetNegMechList(&minor_, &qxnego_process_state.mech_list, &none, nullptr));
    EXPECT_EQ(0xE3000406u, minor_);
    EXPECT_EQ(nullptr, none.entries);
}

// ---- State changes ----------------------------------------------------------

TEST_F(NegMechListTest, SetMechStateValidatesAndCopiesTheText) {
    NegMechEntry e;
    memset(&e, 0, sizeof e);
    e.MechState = AV;
    e.MechReason = QXNEGO_MECH_REASON_AVAILABLE;
    struct Case {
        uint32_t state, reason, minor;
    };
    const std::vector<Case> refused = {{0, 1, 0xE300040Du}, {4, 1, 0xE300040Du}, {3, 0, 0xE300040Eu},
                                       {3, 9, 0xE300040Eu}};
    const gssp_buffer_desc text = {5, const_cast<char*>("first")};
    for (const Case& c : refused) {
        SCOPED_TRACE(c.state * 10 + c.reason);
        EXPECT_EQ(kFailure, QXNEGO_INT_SetMechState(&minor_, c.state, c.reason, 1, 2, &text, &e));
        EXPECT_EQ(c.minor, minor_);
        EXPECT_EQ((uint32_t)AV, e.MechState);
        EXPECT_EQ(0u, e.report_flag);
        EXPECT_EQ(nullptr, e.status_text.value);
    }
    EXPECT_EQ(kWriteFailure, QXNEGO_INT_SetMechState(&minor_, 3, 2, 0, 0, nullptr, nullptr));
    EXPECT_EQ(0xE30003F7u, minor_);

    ASSERT_EQ(0u, QXNEGO_INT_SetMechState(&minor_, REJ, QXNEGO_MECH_REASON_GSSAPI_ERROR, 0xD0000, 0xE1000070u, &text, &e));
    EXPECT_EQ(kOk, minor_);
    EXPECT_EQ("first", Text(e.status_text));
    EXPECT_NE(text.value, e.status_text.value);
    const gssp_buffer_desc second = {6, const_cast<char*>("second")};
    ASSERT_EQ(0u, QXNEGO_INT_SetMechState(&minor_, REJ, QXNEGO_MECH_REASON_POLICY, 0, 0, &second, &e));
    EXPECT_EQ("second", Text(e.status_text));  // the first text went back (LeakSanitizer)
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_POLICY, e.MechReason);
    EXPECT_EQ(1u, e.report_flag);

    // A text the framework refuses to copy: its status, the flag as it was.
    e.report_flag = 0;
    const gssp_buffer_desc bad = {4, nullptr};
    EXPECT_TRUE(GSSP_ERROR(QXNEGO_INT_SetMechState(&minor_, REJ, QXNEGO_MECH_REASON_RANK, 0, 0, &bad, &e)));
    EXPECT_NE(kOk, minor_);
    EXPECT_EQ(0u, e.report_flag);
    gssp_release_buffer(&minor_, &e.status_text);
}

// ---- Selection ------------------------------------------------------------------

struct SelectCase {
    const char* label;
    std::vector<uint32_t> states;       // of MECHC, MECHB, MECHA (list order)
    std::vector<uint32_t> established;
    uint32_t policy_applied;
    gssp_status major, minor;
    uint32_t neg_state;
    std::vector<uint32_t> states_after;
    std::vector<uint32_t> reasons_after;
    int32_t selected;
};

TEST_F(NegMechListTest, SelectionRule) {
    const uint32_t P = QXNEGO_MECH_REASON_POLICY, R = QXNEGO_MECH_REASON_RANK, A = QXNEGO_MECH_REASON_AVAILABLE;
    const uint32_t I = QXNEGO_NEG_STATE_INCOMPLETE, C = QXNEGO_NEG_STATE_COMPLETED;
    const std::vector<SelectCase> cases = {
        {"first not established, second is: wait", {AV, AV, AV}, {0, 1, 0}, 1, 0, kOk, I, {AV, AV, AV}, {A, A, A}, -1},
        {"policy not applied yet: wait", {AV, AV, AV}, {1, 1, 0}, 0, 0, kOk, I, {AV, AV, AV}, {A, A, A}, -1},
        {"first established", {AV, AV, AV}, {1, 0, 0}, 1, 0, kOk, C, {SEL, REJ, REJ}, {R, R, R}, 0},
        {"earlier rejections keep their reasons", {REJ, AV, AV}, {0, 1, 0}, 1, 0, kOk, C, {REJ, SEL, REJ}, {P, R, R}, 1},
        {"every entry rejected", {REJ, REJ, REJ}, {0, 0, 0}, 1, kFailure, 0xE3000406u, QXNEGO_NEG_STATE_REJECT,
         {REJ, REJ, REJ}, {P, P, P}, -1},
        {"an entry already selected", {AV, SEL, AV}, {1, 1, 0}, 1, kFailure, 0xE300040Fu, I, {AV, SEL, AV},
         {A, A, A}, -1},
    };
    ContextList({kA, kB, kC});
    const NegMechList saved = ctx_.mech_list;
    for (const SelectCase& c : cases) {
        SCOPED_TRACE(c.label);
        ctx_.NegState = I;
        ctx_.selected_entry_index = -1;
        ctx_.IsPolicyApplied = c.policy_applied;
        for (uint32_t k = 0; k < 3; ++k) {
            NegMechEntry& e = ctx_.mech_list.entries[k];
            e.MechState = c.states[k];
            e.MechReason = c.states[k] == REJ ? P : A;
            e.IsCtxEstablished = c.established[k];
            e.report_flag = 0;
        }
        const uint32_t log_before = ctx_.log.count;
        EXPECT_EQ(c.major, QXNEGO_INT_SelectMechanism(&minor_, &ctx_));
        EXPECT_EQ(c.minor, minor_);
        EXPECT_EQ(c.neg_state, ctx_.NegState);
        EXPECT_EQ(c.selected, ctx_.selected_entry_index);
        uint32_t changed = 0;
        for (uint32_t k = 0; k < 3; ++k) {
            const NegMechEntry& e = ctx_.mech_list.entries[k];
            EXPECT_EQ(c.states_after[k], e.MechState) << k;
            EXPECT_EQ(c.reasons_after[k], e.MechReason) << k;
            changed += e.report_flag;
        }
        EXPECT_EQ(changed, ctx_.log.count - log_before);
        for (uint32_t k = log_before; k < ctx_.log.count; ++k)
            EXPECT_STREQ(QXNEGO_LOG_MECH_SELECTED, ctx_.log.records[k].text);
        if (c.selected >= 0) {
            EXPECT_EQ(ctx_.mech_list.entries[c.selected].mech_index, ctx_.selected_mech_index);
        }
    }
    EXPECT_EQ(saved.entries, ctx_.mech_list.entries);
}

TEST_F(NegMechListTest, SelectionOfThePeer) {
    ContextList({kA, kB});
    ctx_.NegStateFromPeer = QXNEGO_NEG_STATE_COMPLETED;
    EXPECT_EQ(kFailure, QXNEGO_INT_SelectMechanism(&minor_, &ctx_));  // nothing selected
    EXPECT_EQ(0xE30003F3u, minor_);
    ctx_.selected_entry_index = 1;
    EXPECT_EQ(kFailure, QXNEGO_INT_SelectMechanism(&minor_, &ctx_));  // not established
    EXPECT_EQ(0xE30003F3u, minor_);
    ctx_.selected_entry_index = 2;
    EXPECT_EQ(kFailure, QXNEGO_INT_SelectMechanism(&minor_, &ctx_));  // beyond the list
    EXPECT_EQ(0xE30003F3u, minor_);
    EXPECT_EQ((uint32_t)QXNEGO_NEG_STATE_INCOMPLETE, ctx_.NegState);

    ctx_.selected_entry_index = 1;
    ctx_.mech_list.entries[1].IsCtxEstablished = 1;
    ASSERT_EQ(0u, QXNEGO_INT_SelectMechanism(&minor_, &ctx_));
    EXPECT_EQ(kOk, minor_);
    EXPECT_EQ((uint32_t)QXNEGO_NEG_STATE_COMPLETED, ctx_.NegState);
    EXPECT_EQ((uint32_t)AV, ctx_.mech_list.entries[1].MechState);  // entry states are not touched
    EXPECT_EQ((uint32_t)AV, ctx_.mech_list.entries[0].MechState);
    EXPECT_EQ((std::vector<std::string>{QXNEGO_LOG_NEG_COMPLETED}), LogTexts());

    EXPECT_EQ(kWriteFailure, QXNEGO_INT_SelectMechanism(&minor_, nullptr));
    EXPECT_EQ(0xE30003F7u, minor_);
    NegContext empty;
    memset(&empty, 0, sizeof empty);
    EXPECT_EQ(kReadFailure, QXNEGO_INT_SelectMechanism(&minor_, &empty));
    EXPECT_EQ(0xE3000406u, minor_);
}

TEST_F(NegMechListTest, SelectionLogFailureReported) {
    ContextList({kA, kB});
    ctx_.IsPolicyApplied = 1;
    ctx_.mech_list.entries[0].IsCtxEstablished = 1;
    test_memory::fail_allocation(1);  // the record's text
    EXPECT_EQ(kFailure, QXNEGO_INT_SelectMechanism(&minor_, &ctx_));
    EXPECT_EQ(0xE30003F8u, minor_);
}

// ---- The peer's reports -----------------------------------------------------------

TEST_F(NegMechListTest, PeerReportsAMechanismNotKnownHere) {
    struct Case {
        uint32_t initiator;
        uint32_t reason;
    };
    for (const Case c : {Case{1, QXNEGO_MECH_REASON_NOT_AT_CLIENT}, Case{0, QXNEGO_MECH_REASON_NOT_AT_SERVER}}) {
        SCOPED_TRACE(c.initiator);
        qxgss::ResetFramework();
        QXNEGO_INT_ReleaseNegMechList(&minor_, &ctx_.mech_list);
        QXNEGO_INT_ReleaseProcessState(&minor_);
        ContextList({kA, kE});
        Add({"PEERONLY1", kUnknownOid, 0, 0, true});  // an OID the test can spell, not in the list
        Add({"PEERONLY2", "1.3.6.1.4.1.99.78", 0, 0, true});
        ctx_.IsInitiator = c.initiator;
        const uint32_t log_before = ctx_.log.count;

        NegMechEntry d = Decoded(kUnknownOid, AV, QXNEGO_MECH_REASON_AVAILABLE, "peer text");
        d.input_token = Buffer("token");
        d.authentication_id = Buffer("user");
        ASSERT_EQ(0u, QXNEGO_INT_ProcessNegMech(&minor_, &d, &ctx_));
        EXPECT_EQ(kOk, minor_);
        ASSERT_EQ(3u, ctx_.mech_list.count);
        const NegMechEntry* e = &ctx_.mech_list.entries[2];
        EXPECT_EQ(&e->own_oid, e->oid);
        EXPECT_EQ(-1, e->mech_index);
        EXPECT_EQ((uint32_t)REJ, e->MechState);
        EXPECT_EQ(c.reason, e->MechReason);
        EXPECT_EQ(1u, e->report_flag);
        EXPECT_EQ(nullptr, e->status_text.value);
        EXPECT_EQ(nullptr, e->input_token.value);
        EXPECT_EQ(nullptr, e->authentication_id.value);
        EXPECT_EQ((std::vector<std::string>{"PEERONLY1"}), std::vector<std::string>{Names(ctx_.mech_list)[2]});
        EXPECT_TRUE(LogHasInOrder({QXNEGO_LOG_PEER_MECH_UNKNOWN, QXNEGO_LOG_PEER_MECH_REJECTED}));
        EXPECT_EQ(log_before + 2, ctx_.log.count);
        EXPECT_EQ((uint32_t)REJ, ctx_.log.records[ctx_.log.count - 1].mech_state);

        // A second one moves the storage: the first keeps its own descriptor.
        NegMechEntry d2 = Decoded("1.3.6.1.4.1.99.78", REJ, QXNEGO_MECH_REASON_POLICY);
        ASSERT_EQ(0u, QXNEGO_INT_ProcessNegMech(&minor_, &d2, &ctx_));
        ASSERT_EQ(4u, ctx_.mech_list.count);
        for (uint32_t k = 2; k < 4; ++k) EXPECT_EQ(&ctx_.mech_list.entries[k].own_oid, ctx_.mech_list.entries[k].oid);
        EXPECT_EQ((std::vector<std::string>{"MECHA", "MECHE", "PEERONLY1", "PEERONLY2"}), Names(ctx_.mech_list));

        // The same report again now finds the added entry.
        NegMechEntry d3 = Decoded(kUnknownOid, AV, 0);
        ASSERT_EQ(0u, QXNEGO_INT_ProcessNegMech(&minor_, &d3, &ctx_));
        EXPECT_EQ(4u, ctx_.mech_list.count);
        EXPECT_EQ(c.reason, d3.MechReason);  // the report took the entry's reason
    }
}

TEST_F(NegMechListTest, PeerReportsForKnownMechanisms) {
    ContextList({kA, kE});
    NegMechEntry* a = &ctx_.mech_list.entries[0];
    NegMechEntry* b = &ctx_.mech_list.entries[1];
    a->report_flag = 0;
    b->report_flag = 0;
    a->IsCtxEstablished = 1;

    // Rejected for a locally Available entry: taken over, not reported back.
    NegMechEntry d = Decoded(kA.oid, REJ, QXNEGO_MECH_REASON_GSSAPI_ERROR, "peer failure");
    d.major_status = 0xD0000;
    d.minor_status = 0xE1000070u;
    d.input_token = Buffer("tok1");
    d.authentication_id = Buffer("alice");
    ASSERT_EQ(0u, QXNEGO_INT_ProcessNegMech(&minor_, &d, &ctx_));
    EXPECT_EQ(kOk, minor_);
    EXPECT_EQ((uint32_t)REJ, a->MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_GSSAPI_ERROR, a->MechReason);
    EXPECT_EQ(0xD0000u, a->major_status);
    EXPECT_EQ(0xE1000070u, a->minor_status);
    EXPECT_EQ("peer failure", Text(a->status_text));
    EXPECT_EQ("tok1", Text(a->input_token));
    EXPECT_EQ("alice", Text(a->authentication_id));
    EXPECT_EQ(0u, a->report_flag);
    EXPECT_EQ(a->oid, d.oid);
    EXPECT_EQ(a->mech_index, d.mech_index);
    EXPECT_EQ(1u, d.IsCtxEstablished);
    EXPECT_EQ((std::vector<std::string>{QXNEGO_LOG_PEER_MECH_STATE, QXNEGO_LOG_LOCAL_STATE_FROM_PEER}), LogTexts());

    // Available for the now Rejected entry: nothing changes but the new token
    // and ID, which replace the old ones.
    NegMechEntry d2 = Decoded(kA.oid, AV, 0, "ignored");
    d2.input_token = Buffer("tok2");
    d2.authentication_id = Buffer("bob");
    ASSERT_EQ(0u, QXNEGO_INT_ProcessNegMech(&minor_, &d2, &ctx_));
    EXPECT_EQ((uint32_t)REJ, a->MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_GSSAPI_ERROR, d2.MechReason);
    EXPECT_EQ("peer failure", Text(a->status_text));
    EXPECT_EQ("tok2", Text(a->input_token));
    EXPECT_EQ("bob", Text(a->authentication_id));
    EXPECT_EQ(3u, ctx_.log.count);
    EXPECT_STREQ(QXNEGO_LOG_PEER_MECH_STATE, ctx_.log.records[2].text);

    // Available for Available: no change; an empty token keeps the old one.
    NegMechEntry d3 = Decoded(kE.oid, AV, QXNEGO_MECH_REASON_AVAILABLE);
    b->input_token = Buffer("keep");
    ASSERT_EQ(0u, QXNEGO_INT_ProcessNegMech(&minor_, &d3, &ctx_));
    EXPECT_EQ((uint32_t)AV, b->MechState);
    EXPECT_EQ(0u, b->report_flag);
    EXPECT_EQ("keep", Text(b->input_token));

    // An invalid state from the peer for an Available entry.
    NegMechEntry d4 = Decoded(kE.oid, 7, QXNEGO_MECH_REASON_POLICY, "x");
    EXPECT_EQ(kFailure, QXNEGO_INT_ProcessNegMech(&minor_, &d4, &ctx_));
    EXPECT_EQ(0xE300040Du, minor_);
    NegMechEntry d5 = Decoded(kE.oid, REJ, 12);
    EXPECT_EQ(kFailure, QXNEGO_INT_ProcessNegMech(&minor_, &d5, &ctx_));
    EXPECT_EQ(0xE300040Eu, minor_);
    EXPECT_EQ((uint32_t)AV, b->MechState);
}

TEST_F(NegMechListTest, PeerReportFailures) {
    ContextList({kA});
    EXPECT_EQ(kReadFailure, QXNEGO_INT_ProcessNegMech(&minor_, nullptr, &ctx_));
    EXPECT_EQ(0xE30003F6u, minor_);
    NegMechEntry d = Decoded(kA.oid, REJ, 2, "t");
    EXPECT_EQ(kWriteFailure, QXNEGO_INT_ProcessNegMech(&minor_, &d, nullptr));
    EXPECT_EQ(0xE30003F6u, minor_);

    NegContext empty;
    memset(&empty, 0, sizeof empty);
    NegMechEntry d2 = Decoded(kA.oid, REJ, 2);
    EXPECT_EQ(kFailure, QXNEGO_INT_ProcessNegMech(&minor_, &d2, &empty));
    EXPECT_EQ(0xE3000408u, minor_);

    struct Case {
        const char* label;
        bool no_oid;
        uint32_t length;
        bool no_bytes;
    };
    for (const Case c : {Case{"no OID", true, 1, false}, Case{"length 0", false, 0, false},
                         Case{"no bytes", false, 3, true}}) {
        SCOPED_TRACE(c.label);
        NegMechEntry bad = Decoded(kA.oid, REJ, 2, "t");
        if (c.no_oid) bad.oid = nullptr;
        bad.own_oid.length = c.length;
        if (c.no_bytes) {
            qxnego_free(bad.own_oid.elements);
            bad.own_oid.elements = nullptr;
        }
        EXPECT_EQ(kFailure, QXNEGO_INT_ProcessNegMech(&minor_, &bad, &ctx_));
        EXPECT_EQ(0xE300041Bu, minor_);
    }

    // No room for a mechanism only the peer knows: the list unchanged.
    Add({"PEERONLY1", kUnknownOid, 0, 0, true});
    const NegMechList before = ctx_.mech_list;
    NegMechEntry unknown = Decoded(kUnknownOid, AV, 1, "t");
    test_memory::fail_allocation(1);
    EXPECT_EQ(kFailure, QXNEGO_INT_ProcessNegMech(&minor_, &unknown, &ctx_));
    EXPECT_EQ(0xE30003F9u, minor_);
    EXPECT_EQ(before.count, ctx_.mech_list.count);
    EXPECT_EQ(before.entries, ctx_.mech_list.entries);

    // Each later allocation (the log records) fails in turn: the entry is
    // added and rejected all the same, and nothing leaks.
    for (int n = 2;; ++n) {
        SCOPED_TRACE(n);
        QXNEGO_INT_ReleaseNegMechList(&minor_, &ctx_.mech_list);
        ASSERT_EQ(0u, QXNEGO_INT_GetNegMechList(&minor_, &qxnego_process_state.mech_list, &ctx_.mech_list, nullptr));
        NegMechEntry u = Decoded(kUnknownOid, AV, 1, "t");
        test_memory::fail_allocation(n);
        const gssp_status major = QXNEGO_INT_ProcessNegMech(&minor_, &u, &ctx_);
        test_memory::fail_allocation(0);
        ASSERT_EQ(2u, ctx_.mech_list.count);
        EXPECT_EQ((uint32_t)REJ, ctx_.mech_list.entries[1].MechState);
        if (major == 0) break;
        EXPECT_EQ(kFailure, major);
        EXPECT_EQ(0xE30003F8u, minor_);
        ASSERT_LT(n, 20);
    }
}

TEST_F(NegMechListTest, PeerRejectionWithFailedAllocations) {
    // Each allocation of the merge (the two log records) fails in turn: the
    // report is given back all the same and nothing leaks.
    ContextList({kA, kE});
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        NegMechEntry d = Decoded(kA.oid, REJ, QXNEGO_MECH_REASON_POLICY, "peer text");
        d.input_token = Buffer("tok");
        d.authentication_id = Buffer("alice");
        test_memory::fail_allocation(n);
        const gssp_status major = QXNEGO_INT_ProcessNegMech(&minor_, &d, &ctx_);
        test_memory::fail_allocation(0);
        EXPECT_EQ(nullptr, d.status_text.value);
        EXPECT_EQ(nullptr, d.input_token.value);
        EXPECT_EQ(nullptr, d.authentication_id.value);
        EXPECT_EQ(nullptr, d.own_oid.elements);
        if (major == 0) {
            EXPECT_EQ((uint32_t)REJ, ctx_.mech_list.entries[0].MechState);
            EXPECT_EQ("tok", Text(ctx_.mech_list.entries[0].input_token));
            break;
        }
        EXPECT_EQ(kFailure, major);
        EXPECT_EQ(0xE30003F8u, minor_);
        ASSERT_LT(n, 20);
    }
}

// ---- Release -----------------------------------------------------------------------

TEST_F(NegMechListTest, ReleaseGivesBackEverythingAndGoesOnAfterAFailure) {
    ContextList({kA, kB});
    Add({"PEERONLY1", kUnknownOid, 0, 0, true});
    NegMechEntry u = Decoded(kUnknownOid, AV, 1);
    ASSERT_EQ(0u, QXNEGO_INT_ProcessNegMech(&minor_, &u, &ctx_));
    int handle = 0;
    for (uint32_t k = 0; k < 2; ++k) {
        NegMechEntry& e = ctx_.mech_list.entries[k];
        e.credential = &handle;
        e.delegated_cred = &handle;
        e.context = &handle;
        e.src_name = reinterpret_cast<gssp_name_t>(&handle);
        e.status_text = Buffer("s");
        e.input_token = Buffer("i");
        e.output_token = Buffer("o");
        e.authentication_id = Buffer("a");
    }
    g_release_cred_fails = true;
    EXPECT_EQ(kFailure, QXNEGO_INT_ReleaseNegMechList(&minor_, &ctx_.mech_list));
    EXPECT_EQ(0xE1000099u, minor_);
    EXPECT_EQ(4, g_release_cred);
    EXPECT_EQ(2, g_delete_context);
    EXPECT_EQ(2, g_release_name);
    EXPECT_EQ(0u, ctx_.mech_list.count);
    EXPECT_EQ(nullptr, ctx_.mech_list.entries);

    EXPECT_EQ(kWriteFailure, QXNEGO_INT_ReleaseNegMechList(&minor_, nullptr));
    EXPECT_EQ(0xE30003F6u, minor_);
    EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegMechList(&minor_, &ctx_.mech_list));  // empty: nothing to do
    EXPECT_EQ(kOk, minor_);
}

}  // namespace
