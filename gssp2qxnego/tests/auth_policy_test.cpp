// Authentication data and per-user policy over the framework stand-in: the
// client's explicit logon data and single sign-on through the mechanisms'
// own credentials, the principal-to-user look-up, and the server's policy
// with its rejections, with the plug-in's allocator replaced so that any
// allocation can be made to fail.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "auth_policy.h"
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_context.h"
#include "neg_log.h"
#include "neg_mech.h"
#include "plugin_memory.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "test_memory.h"

namespace {

const uint32_t kOk = 0x230003E8u;
const uint32_t kFailure = 0x000D0000u;

enum { AV = QXNEGO_MECH_STATE_AVAILABLE, REJ = QXNEGO_MECH_STATE_REJECTED };

// What the test mechanisms' inquire_cred answers.
enum class Inquire { kName, kNullName, kFails };
Inquire g_inquire = Inquire::kName;
std::string g_inquire_text;
int g_inquire_calls = 0, g_names_out = 0, g_names_released = 0;
gssp_cred_id_t g_inquired_cred = nullptr;

gssp_status TestInquireCred(gssp_status* minor, gssp_cred_id_t cred, gssp_name_t* name, uint32_t* lifetime,
                            int* usage, gssp_OID_set* mechs) {
    ++g_inquire_calls;
    g_inquired_cred = cred;
    EXPECT_NE(nullptr, name);
    EXPECT_EQ(nullptr, lifetime);
    EXPECT_EQ(nullptr, usage);
    EXPECT_EQ(nullptr, mechs);
    *name = nullptr;
    if (g_inquire == Inquire::kFails) {
        *minor = 0xE1000099u;
        return kFailure;
    }
    *minor = 0;
    if (g_inquire == Inquire::kNullName) return 0;
    gssp_name_desc n = {GSS_C_NT_QXAT_MECHDATA_UTF8, {g_inquire_text.size(), &g_inquire_text[0]}};
    gssp_status m = 0;
    EXPECT_EQ(0u, gssp_duplicate_name(&m, &n, name));
    ++g_names_out;
    return 0;
}
gssp_status TestReleaseName(gssp_status* minor, gssp_name_t* name) {
    ++g_names_released;
    return gssp_release_name(minor, name);
}
gssp_status TestReleaseCred(gssp_status* minor, gssp_cred_id_t* cred) {
    *cred = nullptr;
    *minor = 0;
    return 0;
}

struct Mech {
    const char* name;
    const char* oid;
    bool sso;
};
const Mech kA = {"MECHA", "1.3.6.1.4.1.99.1", false};
const Mech kB = {"MECHB", "1.3.6.1.4.1.99.2", true};
const Mech kC = {"MECHC", "1.3.6.1.4.1.99.3", true};
const char kNegoOid[] = "1.3.6.1.4.1.99.100";
const char kUnknownOid[] = "1.3.6.1.4.1.99.77";

std::string Text(const gssp_buffer_desc& b) {
    return b.value == nullptr ? std::string() : std::string(static_cast<const char*>(b.value), (size_t)b.length);
}

class AuthPolicyTest : public testing::Test {
protected:
    void SetUp() override {
        test_memory::reset();
        qxgss::ResetFramework();
        g_inquire = Inquire::kName;
        g_inquire_text = "carol";
        g_inquire_calls = g_names_out = g_names_released = 0;
        g_inquired_cred = nullptr;
    }

    void TearDown() override {
        gssp_status m = 0;
        if (handle_ != nullptr) {
            EXPECT_EQ(0u, QXNEGO_delete_sec_context(&m, &handle_, nullptr));
        }
        if (cred_ != nullptr) {
            EXPECT_EQ(0u, QXNEGO_release_cred(&m, &cred_));
        }
        QXNEGO_INT_ReleaseProcessState(&m);
        EXPECT_EQ(0, test_memory::live_blocks());
        EXPECT_EQ(g_names_out, g_names_released);
        qxgss::ResetFramework();
    }

    // The mechanisms in list order (rank by position), QXNEGO negotiating
    // all of them, the process-wide state, and one context.
    void Configure(const std::vector<Mech>& mechs, uint32_t initiator = 1, bool with_inquire = true,
                   bool with_release_name = true) {
        std::vector<std::pair<bool, std::string>> items;
        int rank = 0;
        for (const Mech& m : mechs) {
            qxgss::MechanismDefinition d;
            d.name = m.name;
            d.oid = m.oid;
            d.properties[QXGSS_PROPERTY_NEGOTIATION_PREFERRED] = 0;
            d.properties[QXGSS_PROPERTY_RANK] = rank++;
            d.properties[QXGSS_PROPERTY_SSO_SUPPORTED] = m.sso ? 1 : 0;
            gssp_mech_info ep;
            memset(&ep, 0, sizeof ep);
            ep.release_cred = TestReleaseCred;
            if (with_inquire) ep.inquire_cred = TestInquireCred;
            if (with_release_name) ep.release_name = TestReleaseName;
            Add(d, ep);
            items.push_back({true, m.oid});
        }
        qxgss::MechanismDefinition nego;
        nego.name = "QXNEGO";
        nego.oid = kNegoOid;
        nego.negotiable = items;
        gssp_mech_info none;
        memset(&none, 0, sizeof none);
        Add(nego, none);
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_configure(&m, nullptr, nullptr, nullptr)) << std::hex << m;
        NewContext(initiator);
    }

    void NewContext(uint32_t initiator) {
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_INT_CreateNegContext(&m, initiator, &handle_));
        ctx_ = static_cast<NegContext*>(handle_);
        ASSERT_NE(nullptr, ctx_);
    }

    void DeleteContext() {
        gssp_status m = 0;
        EXPECT_EQ(0u, QXNEGO_delete_sec_context(&m, &handle_, nullptr));
        ctx_ = nullptr;
    }

    static void Add(const qxgss::MechanismDefinition& d, const gssp_mech_info& ep) {
        uint32_t index = 0;
        std::string error;
        ASSERT_TRUE(qxgss::AddMechanism(d, ep, &index, &error)) << error;
    }

    // A credential whose name carries the logon text (null: no name).
    void Credential(const char* logon) {
        gssp_status m = 0;
        gssp_name_desc n = {GSS_C_NT_QXAT_MECHDATA_UTF8, {logon ? strlen(logon) : 0, const_cast<char*>(logon)}};
        ASSERT_EQ(0u, QXNEGO_acquire_cred(&m, logon ? &n : nullptr, 0, nullptr, 0, &cred_, nullptr, nullptr));
    }

    const NegCredential* Cred() const { return static_cast<const NegCredential*>(cred_); }
    NegMechEntry& Entry(int k) { return ctx_->mech_list.entries[k]; }

    static void Set(gssp_buffer_desc* b, const std::string& text) {
        gssp_status m = 0;
        gssp_buffer_desc in = {text.size(), const_cast<char*>(text.data())};
        if (b->value != nullptr) gssp_release_buffer(&m, b);
        ASSERT_EQ(0u, gssp_duplicate_buffer(&m, &in, b));
    }

    std::vector<uint32_t> States() const {
        std::vector<uint32_t> s;
        for (uint32_t k = 0; k < ctx_->mech_list.count; ++k) s.push_back(ctx_->mech_list.entries[k].MechState);
        return s;
    }
    std::vector<uint32_t> Reasons() const {
        std::vector<uint32_t> s;
        for (uint32_t k = 0; k < ctx_->mech_list.count; ++k) s.push_back(ctx_->mech_list.entries[k].MechReason);
        return s;
    }

    // The log records from position `from` on: text, and whether they name
    // the entry at that index of the list (-1: no entry).
    struct Record {
        std::string text;
        int entry;
        bool operator==(const Record& o) const { return text == o.text && entry == o.entry; }
    };
    std::vector<Record> LogFrom(uint32_t from) const {
        std::vector<Record> out;
        for (uint32_t r = from; r < ctx_->log.count; ++r) {
            const NegLogRecord& rec = ctx_->log.records[r];
            int entry = -1;
            for (uint32_t k = 0; k < ctx_->mech_list.count && rec.mech_oid.elements != nullptr; ++k) {
                const gssp_OID_desc* oid = ctx_->mech_list.entries[k].oid;
                if (oid->length == rec.mech_oid.length &&
                    memcmp(oid->elements, rec.mech_oid.elements, oid->length) == 0)
                    entry = (int)k;
            }
            out.push_back({rec.text ? rec.text : "", entry});
        }
        return out;
    }

    gssp_ctx_id_t handle_ = nullptr;
    NegContext* ctx_ = nullptr;
    gssp_cred_id_t cred_ = nullptr;
};

// ---- Client: explicit logon data ------------------------------------------

TEST_F(AuthPolicyTest, AuthcidInTheLogonDataIsUsedAndNoMechanismIsAsked) {
    Configure({kA, kB, kC});
    Credential("authcid=alice password=secret user=bob profile=dev");
    const size_t freed_before = test_memory::freed().size();
    const uint32_t log_before = ctx_->log.count;
    gssp_status m = 0;
    ASSERT_EQ(0u, QXNEGO_INT_SetAuthInfo(&m, Cred(), ctx_));
    EXPECT_EQ(kOk, m);
    EXPECT_EQ("alice", Text(ctx_->authentication_id));
    EXPECT_EQ(5u, ctx_->authentication_id.length);
    EXPECT_EQ("bob", Text(ctx_->user));
    EXPECT_EQ("dev", Text(ctx_->profile));
    EXPECT_EQ(0u, ctx_->sso);
    EXPECT_EQ(0, g_inquire_calls);
    EXPECT_EQ((std::vector<uint32_t>{AV, AV, AV}), States());
    EXPECT_EQ(log_before, ctx_->log.count);
    // The logon text carried a password: every temporary copy is wiped.
    const auto& freed = test_memory::freed();
    ASSERT_GT(freed.size(), freed_before);
    for (size_t k = freed_before; k < freed.size(); ++k) EXPECT_TRUE(freed[k].wiped) << "block " << k;
}

TEST_F(AuthPolicyTest, LogonDataThatDoesNotParseFailsWithTheParsersStatus) {
    struct Case {
        const char* logon;
        uint32_t minor;
    };
    const Case cases[] = {
        {"authcid=alice authcid=bob", 0xE3000427u},
        {"authcid=alice user=a user=b", 0xE3000428u},
        {"user=bob profile=a profile=b", 0xE3000429u},
        {"authcid=alice bogus", 0xE300042Au},
        {",,prefix authcid=alice", 0xE3000424u},
    };
    Configure({kA, kB});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logon);
        Credential(c.logon);
        gssp_status m = 0;
        EXPECT_EQ(kFailure, QXNEGO_INT_SetAuthInfo(&m, Cred(), ctx_));
        EXPECT_EQ(c.minor, m);
        EXPECT_EQ(nullptr, ctx_->authentication_id.value);
        EXPECT_EQ(nullptr, ctx_->user.value);
        EXPECT_EQ(nullptr, ctx_->profile.value);
        EXPECT_EQ(0, g_inquire_calls);
        EXPECT_EQ((std::vector<uint32_t>{AV, AV}), States());
        gssp_status ignored = 0;
        QXNEGO_release_cred(&ignored, &cred_);
    }
}

// ---- Client: single sign-on ---------------------------------------------------

TEST_F(AuthPolicyTest, WithoutAnAuthcidEveryAvailableMechanismIsAskedForSso) {
    struct Case {
        const char* what;
        bool credential;
        const char* logon;  // null: a credential without a name
        const char* user;
    };
    const Case cases[] = {
        {"no credential", false, nullptr, ""},
        {"credential without name", true, nullptr, ""},
        {"name with empty text", true, "", ""},
        {"user but no authcid", true, "user=bob profile=dev", "bob"},
    };
    Configure({kA, kB, kC});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.credential) Credential(c.logon);
        // C was rejected before: it is skipped.
        Entry(2).MechState = REJ;
        Entry(2).MechReason = QXNEGO_MECH_REASON_GSSAPI_ERROR;
        Entry(1).credential = &g_inquired_cred;  // a marker for the entry's credential
        g_inquire_calls = 0;
        const uint32_t log_before = ctx_->log.count;
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_INT_SetAuthInfo(&m, Cred(), ctx_));
        EXPECT_EQ(kOk, m);
        EXPECT_EQ(1u, ctx_->sso);
        EXPECT_EQ(c.user, Text(ctx_->user));
        EXPECT_EQ(nullptr, ctx_->authentication_id.value);
        // A lacks SSO; B yields carol; C untouched.
        EXPECT_EQ((std::vector<uint32_t>{REJ, AV, REJ}), States());
        EXPECT_EQ((std::vector<uint32_t>{QXNEGO_MECH_REASON_SSO_REQUIRED, QXNEGO_MECH_REASON_AVAILABLE,
                                         QXNEGO_MECH_REASON_GSSAPI_ERROR}),
                  Reasons());
        EXPECT_EQ(1u, Entry(0).report_flag);
        EXPECT_EQ(0u, Entry(0).major_status);
        EXPECT_EQ(0u, Entry(0).minor_status);
        EXPECT_EQ("carol", Text(Entry(1).authentication_id));
        EXPECT_EQ(5u, Entry(1).authentication_id.length);
        EXPECT_EQ(1, g_inquire_calls);
        EXPECT_EQ(&g_inquired_cred, g_inquired_cred);
        EXPECT_EQ(g_names_out, g_names_released);
        EXPECT_EQ((std::vector<Record>{{QXNEGO_LOG_SSO_NOT_SUPPORTED, 0}}), LogFrom(log_before));
        Entry(1).credential = nullptr;
        gssp_status ignored = 0;
        if (cred_ != nullptr) QXNEGO_release_cred(&ignored, &cred_);
        DeleteContext();
        NewContext(1);
    }
}

TEST_F(AuthPolicyTest, SsoThatYieldsNoSingleUserRejectsTheMechanism) {
    struct Case {
        const char* what;
        Inquire inquire;
        const char* text;
        const char* id;  // null: rejected with Authentication ID not Available
    };
    const Case cases[] = {
        {"inquire_cred fails", Inquire::kFails, "", nullptr},
        {"no name", Inquire::kNullName, "", nullptr},
        {"name with empty text", Inquire::kName, "", nullptr},
        {"two principals", Inquire::kName, "dave;erin", nullptr},
        {"no user part", Inquire::kName, "@EXAMPLE", nullptr},
        {"realm dropped", Inquire::kName, "dave@EXAMPLE:pw", "dave"},
    };
    Configure({kB, kC});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_inquire = c.inquire;
        g_inquire_text = c.text;
        const uint32_t log_before = ctx_->log.count;
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_INT_SetAuthInfo(&m, nullptr, ctx_));
        EXPECT_EQ(kOk, m);
        EXPECT_EQ(g_names_out, g_names_released);
        if (c.id != nullptr) {
            EXPECT_EQ(1u, ctx_->sso);
            EXPECT_EQ((std::vector<uint32_t>{AV, AV}), States());
            EXPECT_EQ(c.id, Text(Entry(0).authentication_id));
            EXPECT_EQ(c.id, Text(Entry(1).authentication_id));
            EXPECT_TRUE(LogFrom(log_before).empty());
        } else {
            EXPECT_EQ(0u, ctx_->sso);
            EXPECT_EQ((std::vector<uint32_t>{REJ, REJ}), States());
            EXPECT_EQ((std::vector<uint32_t>{QXNEGO_MECH_REASON_NO_AUTH_ID, QXNEGO_MECH_REASON_NO_AUTH_ID}),
                      Reasons());
            EXPECT_EQ(1u, Entry(1).report_flag);
            EXPECT_EQ(0u, Entry(1).major_status);
            EXPECT_EQ(0u, Entry(1).minor_status);
            EXPECT_EQ((std::vector<Record>{{QXNEGO_LOG_SSO_NO_AUTH_ID, 0}, {QXNEGO_LOG_SSO_NO_AUTH_ID, 1}}),
                      LogFrom(log_before));
        }
        DeleteContext();
        NewContext(1);
    }
}

TEST_F(AuthPolicyTest, SsoWorksWithoutReleaseNameAndFailsWithoutInquireCred) {
    // Without release_name the framework gives the name back (a leak would
    // show under LeakSanitizer).
    Configure({kB}, 1, true, false);
    gssp_status m = 0;
    ASSERT_EQ(0u, QXNEGO_INT_SetAuthInfo(&m, nullptr, ctx_));
    EXPECT_EQ("carol", Text(Entry(0).authentication_id));
    g_names_released = g_names_out;
    DeleteContext();
    QXNEGO_INT_ReleaseProcessState(&m);
    qxgss::ResetFramework();

    Configure({kB}, 1, false, true);
    ASSERT_EQ(0u, QXNEGO_INT_SetAuthInfo(&m, nullptr, ctx_));
    EXPECT_EQ(REJ, (int)Entry(0).MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_NO_AUTH_ID, Entry(0).MechReason);
}

// ---- The principal-to-user look-up ------------------------------------------

TEST(GetAuthIDFromName, GivesTheOnePrincipalsUser) {
    struct Case {
        const char* text;
        uint32_t code;
        const char* id;
    };
    const Case cases[] = {
        {"carol", kOk, "carol"},
        {"carol@EXAMPLE.COM", kOk, "carol"},
        {"carol:secret", kOk, "carol"},
        {"a;b", 0xE300042Au, nullptr},
        {"", 0xE300042Au, nullptr},
        {"@EXAMPLE.COM", 0xE300042Au, nullptr},
        {nullptr, 0xE300042Au, nullptr},
    };
    test_memory::reset();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        char* id = reinterpret_cast<char*>(&id);  // must be overwritten
        EXPECT_EQ(c.code, QXNEGO_INT_GetAuthIDFromName(c.text, &id));
        if (c.id != nullptr) {
            ASSERT_NE(nullptr, id);
            EXPECT_STREQ(c.id, id);
            qxnego_free(id);
        } else {
            EXPECT_EQ(nullptr, id);
        }
        EXPECT_EQ(c.code, QXNEGO_INT_GetAuthIDFromName(c.text, nullptr));
    }
    test_memory::fail_allocation(1);
    char* id = nullptr;
    EXPECT_EQ((uint32_t)QXNEGO_E_MALLOC, QXNEGO_INT_GetAuthIDFromName("carol", &id));
    EXPECT_EQ(nullptr, id);
    test_memory::fail_allocation(0);
    EXPECT_EQ(0, test_memory::live_blocks());
}

// ---- Server: per-user policy ---------------------------------------------------

TEST_F(AuthPolicyTest, PolicyUserNameIsUserThenAuthcidThenFirstSsoId) {
    struct Case {
        const char* what;
        const char* user;
        const char* authcid;
        uint32_t sso;
        const char* ids[3];  // the entries' authentication IDs
        bool a_rejected;     // A was rejected before
        std::vector<uint32_t> states;
    };
    // bob may use A, alice B, carol C, dave A and B.
    const Case cases[] = {
        {"user over authcid", "bob", "alice", 0, {"", "", ""}, false, {AV, REJ, REJ}},
        {"authcid without user", "", "alice", 0, {"", "", ""}, false, {REJ, AV, REJ}},
        {"entry ids ignored without sso", "", "alice", 0, {"carol", "carol", "carol"}, false, {REJ, AV, REJ}},
        {"user over sso ids", "bob", "", 1, {"carol", "", ""}, false, {AV, REJ, REJ}},
        {"first non-rejected sso id", "", "", 1, {"dave", "", "carol"}, true, {REJ, REJ, AV}},
        {"first sso id", "", "", 1, {"", "carol", "dave"}, false, {REJ, REJ, AV}},
        {"authcid when no sso id", "", "alice", 1, {"", "", ""}, false, {REJ, AV, REJ}},
    };
    qxgss::SetUserPolicy("bob", {kA.oid});
    qxgss::SetUserPolicy("alice", {kB.oid});
    qxgss::SetUserPolicy("carol", {kC.oid});
    qxgss::SetUserPolicy("dave", {kA.oid, kB.oid});
    Configure({kA, kB, kC}, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Set(&ctx_->user, c.user);
        Set(&ctx_->authentication_id, c.authcid);
        ctx_->sso = c.sso;
        for (int k = 0; k < 3; ++k) Set(&Entry(k).authentication_id, c.ids[k]);
        if (c.a_rejected) {
            Entry(0).MechState = REJ;
            Entry(0).MechReason = QXNEGO_MECH_REASON_GSSAPI_ERROR;
        }
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
        EXPECT_EQ(kOk, m);
        EXPECT_EQ(1u, ctx_->IsPolicyApplied);
        EXPECT_EQ(c.states, States());
        DeleteContext();
        NewContext(0);
    }
}

TEST_F(AuthPolicyTest, PolicyWithoutUserNameOrWithEmptySetRestrictsNothing) {
    struct Case {
        const char* what;
        const char* user;
        const char* log;
    };
    const Case cases[] = {
        {"no user name at all", "", QXNEGO_LOG_POLICY_NO_USER},
        {"user without policy", "erin", QXNEGO_LOG_POLICY_EMPTY},
    };
    // A policy for the empty name would reject B and C if it were asked for.
    qxgss::SetUserPolicy("", {kA.oid});
    Configure({kA, kB, kC}, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Set(&ctx_->user, c.user);
        ctx_->sso = 1;  // with no mechanism ID either
        const uint32_t log_before = ctx_->log.count;
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
        EXPECT_EQ(kOk, m);
        EXPECT_EQ(1u, ctx_->IsPolicyApplied);
        EXPECT_EQ((std::vector<uint32_t>{AV, AV, AV}), States());
        EXPECT_EQ((std::vector<Record>{{c.log, -1}}), LogFrom(log_before));
        EXPECT_EQ(1u, ctx_->log.records[log_before].is_policy_applied);
        DeleteContext();
        NewContext(0);
    }
}

TEST_F(AuthPolicyTest, PolicyAllowingOneOfThreeRejectsTheOthersOnce) {
    qxgss::SetUserPolicy("bob", {kB.oid});
    Configure({kA, kB, kC}, 0);
    Set(&ctx_->user, "bob");
    const uint32_t log_before = ctx_->log.count;
    gssp_status m = 0;
    ASSERT_EQ(0u, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
    EXPECT_EQ(kOk, m);
    EXPECT_EQ(1u, ctx_->IsPolicyApplied);
    EXPECT_EQ((std::vector<uint32_t>{REJ, AV, REJ}), States());
    for (int k : {0, 2}) {
        EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_POLICY, Entry(k).MechReason);
        EXPECT_EQ(0u, Entry(k).major_status);
        EXPECT_EQ(QXGSS_MINOR_SUCCESS, Entry(k).minor_status);  // the membership test's
        EXPECT_EQ(1u, Entry(k).report_flag);
    }
    EXPECT_EQ((std::vector<Record>{{QXNEGO_LOG_POLICY_DISALLOWED, 0},
                                   {QXNEGO_LOG_POLICY_DISALLOWED, 2},
                                   {QXNEGO_LOG_POLICY_NON_EMPTY, -1}}),
              LogFrom(log_before));
    // Applied once: a later call changes nothing.
    const uint32_t log_after = ctx_->log.count;
    qxgss::SetUserPolicy("bob", {kUnknownOid});
    ASSERT_EQ(0u, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
    EXPECT_EQ(log_after, ctx_->log.count);
    EXPECT_EQ((std::vector<uint32_t>{REJ, AV, REJ}), States());
}

TEST_F(AuthPolicyTest, PolicyExcludingEveryMechanismFailsAfterRejecting) {
    qxgss::SetUserPolicy("alice", {kUnknownOid});
    Configure({kA, kB, kC}, 0);
    Set(&ctx_->authentication_id, "alice");
    // A rejected earlier keeps its reason and is not logged again, yet counts.
    Entry(0).MechState = REJ;
    Entry(0).MechReason = QXNEGO_MECH_REASON_GSSAPI_ERROR;
    const uint32_t log_before = ctx_->log.count;
    gssp_status m = 0;
    EXPECT_EQ(kFailure, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
    EXPECT_EQ(0xE3000406u, m);
    EXPECT_EQ(1u, ctx_->IsPolicyApplied);
    EXPECT_EQ((std::vector<uint32_t>{REJ, REJ, REJ}), States());
    EXPECT_EQ((std::vector<uint32_t>{QXNEGO_MECH_REASON_GSSAPI_ERROR, QXNEGO_MECH_REASON_POLICY,
                                     QXNEGO_MECH_REASON_POLICY}),
              Reasons());
    EXPECT_EQ((std::vector<Record>{{QXNEGO_LOG_POLICY_DISALLOWED, 1},
                                   {QXNEGO_LOG_POLICY_DISALLOWED, 2},
                                   {QXNEGO_LOG_POLICY_NON_EMPTY, -1}}),
              LogFrom(log_before));
}

TEST_F(AuthPolicyTest, FailedPolicyQueryLeavesThePolicyUnappliedAndARetryWorks) {
    qxgss::SetUserPolicy("bob", {kB.oid});
    Configure({kA, kB, kC}, 0);
    Set(&ctx_->user, "bob");
    const uint32_t log_before = ctx_->log.count;
    gssp_status m = 0;
    test_memory::fail_allocation(1);  // the copy of the user name for the query
    EXPECT_EQ(kFailure, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
    test_memory::fail_allocation(0);
    EXPECT_EQ(0xE30003F9u, m);
    EXPECT_EQ(0u, ctx_->IsPolicyApplied);
    EXPECT_EQ((std::vector<uint32_t>{AV, AV, AV}), States());
    EXPECT_EQ(log_before, ctx_->log.count);
    ASSERT_EQ(0u, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
    EXPECT_EQ(1u, ctx_->IsPolicyApplied);
    EXPECT_EQ((std::vector<uint32_t>{REJ, AV, REJ}), States());
}

TEST_F(AuthPolicyTest, BadInputGetsAClearStatus) {
    gssp_status m = 0;
    EXPECT_EQ(kFailure, QXNEGO_INT_SetAuthInfo(&m, nullptr, nullptr));
    EXPECT_EQ(0xE3000400u, m);
    EXPECT_EQ(kFailure, QXNEGO_INT_SetAuthInfo(nullptr, nullptr, nullptr));
    EXPECT_EQ(0x020D0000u, QXNEGO_INT_Apply_Policy_Info(&m, nullptr));
    EXPECT_EQ(0xE30003F7u, m);
    EXPECT_EQ(0x020D0000u, QXNEGO_INT_Apply_Policy_Info(nullptr, nullptr));
    // A name whose length claims bytes it does not have is no logon data.
    Configure({kB});
    NegCredential broken = {};
    gssp_name_desc name = {GSS_C_NT_QXAT_MECHDATA_UTF8, {12, nullptr}};
    broken.name = &name;
    ASSERT_EQ(0u, QXNEGO_INT_SetAuthInfo(&m, &broken, ctx_));
    EXPECT_EQ(1u, ctx_->sso);
    // So is a user buffer with a length and no bytes on the server.
    DeleteContext();
    NewContext(0);
    ctx_->user.length = 3;
    ASSERT_EQ(0u, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
    ctx_->user.length = 0;
}

// ---- Allocation failures -------------------------------------------------------

// Each call with the n-th allocation failing, n = 1.. until none fails:
// every failure is reported, and deleting the context leaves nothing behind.
TEST_F(AuthPolicyTest, EveryFailedAllocationIsReportedWithoutLeak) {
    struct Case {
        const char* what;
        const char* logon;  // null: single sign-on
        uint32_t initiator;
    };
    const Case cases[] = {
        {"explicit logon", "authcid=alice password=pw user=bob profile=dev", 1},
        {"single sign-on", nullptr, 1},
        {"policy", nullptr, 0},
    };
    qxgss::SetUserPolicy("bob", {kB.oid});
    Configure({kA, kB, kC});
    DeleteContext();
    const int baseline = test_memory::live_blocks();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.logon != nullptr) Credential(c.logon);
        const int cred_blocks = test_memory::live_blocks();
        for (int n = 1;; ++n) {
            SCOPED_TRACE(n);
            NewContext(c.initiator);
            if (c.initiator == 0) Set(&ctx_->user, "bob");
            const int start = test_memory::allocations();
            test_memory::fail_allocation(n);
            gssp_status m = 0;
            const gssp_status major = c.initiator == 1 ? QXNEGO_INT_SetAuthInfo(&m, Cred(), ctx_)
                                                       : QXNEGO_INT_Apply_Policy_Info(&m, ctx_);
            test_memory::fail_allocation(0);
            const bool failed_one = test_memory::allocations() - start >= n;
            if (!failed_one) {
                EXPECT_EQ(0u, major);
                EXPECT_EQ(kOk, m);
                DeleteContext();
                break;
            }
            EXPECT_TRUE(GSSP_ERROR(major)) << std::hex << m;
            EXPECT_NE(kOk, m);
            if (c.initiator == 0) {
                // The context stays sound: the next accept call applies it.
                EXPECT_EQ(0u, ctx_->IsPolicyApplied);
                ASSERT_EQ(0u, QXNEGO_INT_Apply_Policy_Info(&m, ctx_));
                EXPECT_EQ((std::vector<uint32_t>{REJ, AV, REJ}), States());
            }
            DeleteContext();
            EXPECT_EQ(cred_blocks, test_memory::live_blocks());
        }
        gssp_status ignored = 0;
        if (cred_ != nullptr) QXNEGO_release_cred(&ignored, &cred_);
        EXPECT_EQ(baseline, test_memory::live_blocks());
    }
}

}  // namespace
