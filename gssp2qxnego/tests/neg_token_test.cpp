// The negotiation tokens over the framework stand-in: what each token
// carries and when, round trips between a client and a server context, the
// refusals of both directions, hostile and truncated tokens, and failed
// allocations, with the plug-in's allocator replaced so that leaks show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_context.h"
#include "neg_log.h"
#include "neg_mech.h"
#include "neg_mech_list.h"
#include "neg_token.h"
#include "plugin_memory.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "test_memory.h"

namespace {

using Bytes = std::vector<unsigned char>;

const uint32_t kFailure = GSSP_S_FAILURE;
const uint32_t kReadFailure = GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE;
const uint32_t kWriteFailure = GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE;
const uint32_t kAsnAbsent = QXGSS_MINOR_ASN_ITEM_ABSENT;
const uint32_t kAsnBadEncoding = 0xE10000DFu;

enum {
    AV = QXNEGO_MECH_STATE_AVAILABLE,
    SEL = QXNEGO_MECH_STATE_SELECTED,
    REJ = QXNEGO_MECH_STATE_REJECTED,
    COMPLETED = QXNEGO_NEG_STATE_COMPLETED,
    INCOMPLETE = QXNEGO_NEG_STATE_INCOMPLETE,
    REJECT = QXNEGO_NEG_STATE_REJECT
};

// ---- DER as the framework writes it: context class, definite lengths ----

Bytes Tlv(unsigned char id, const Bytes& content) {
    Bytes out{id};
    const size_t n = content.size();
    if (n < 0x80) {
        out.push_back((unsigned char)n);
    } else {
        Bytes len;
        for (size_t v = n; v != 0; v >>= 8) len.insert(len.begin(), (unsigned char)(v & 0xFF));
        out.push_back((unsigned char)(0x80 | len.size()));
        out.insert(out.end(), len.begin(), len.end());
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}
Bytes Seq(uint32_t tag, std::initializer_list<Bytes> parts) {
    Bytes content;
    for (const Bytes& p : parts) content.insert(content.end(), p.begin(), p.end());
    return Tlv((unsigned char)(0xA0 | tag), content);
}
Bytes SeqOf(uint32_t tag, const std::vector<Bytes>& parts) {
    Bytes content;
    for (const Bytes& p : parts) content.insert(content.end(), p.begin(), p.end());
    return Tlv((unsigned char)(0xA0 | tag), content);
}
Bytes Int(uint32_t tag, uint32_t v) {
    Bytes c;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char b = (unsigned char)(v >> shift);
        if (c.empty() && b == 0 && shift != 0) continue;
        if (c.empty() && (b & 0x80)) c.push_back(0);
        c.push_back(b);
    }
    return Tlv((unsigned char)(0x80 | tag), c);
}
Bytes Buf(uint32_t tag, const std::string& s) {
    return Tlv((unsigned char)(0x80 | tag), Bytes(s.begin(), s.end()));
}
Bytes Oid(uint32_t tag, const gssp_OID_desc* oid) {
    const unsigned char* p = (const unsigned char*)oid->elements;
    return Tlv((unsigned char)(0x80 | tag), Bytes(p, p + oid->length));
}

// One parsed element; the test reads back what the encoder wrote.
struct Node {
    unsigned char id = 0;
    Bytes content;
    std::vector<Node> kids;
    uint32_t tag() const { return id & 0x1Fu; }
    bool constructed() const { return (id & 0x20) != 0; }
    const Node* Child(uint32_t t) const {
        for (const Node& k : kids)
            if (k.tag() == t) return &k;
        return nullptr;
    }
    std::vector<uint32_t> Tags() const {
        std::vector<uint32_t> tags;
        for (const Node& k : kids) tags.push_back(k.tag());
        return tags;
    }
    std::string Text() const { return std::string(content.begin(), content.end()); }
    uint32_t Value() const {
        uint32_t v = 0;
        for (unsigned char b : content) v = (v << 8) | b;
        return v;
    }
};

// Short-form identifiers; lengths up to four bytes. Fails the test on bad DER.
bool ParseAt(const Bytes& b, size_t* at, size_t end, Node* out) {
    if (*at + 2 > end) return false;
    out->id = b[(*at)++];
    size_t len = b[(*at)++];
    if (len & 0x80) {
        const size_t n = len & 0x7F;
        len = 0;
        for (size_t i = 0; i < n; ++i) {
            if (*at >= end) return false;
            len = (len << 8) | b[(*at)++];
        }
    }
    if (len > end - *at) return false;
    out->content.assign(b.begin() + (long)*at, b.begin() + (long)(*at + len));
    if (out->constructed()) {
        size_t inner = *at;
        while (inner < *at + len) {
            out->kids.emplace_back();
            if (!ParseAt(b, &inner, *at + len, &out->kids.back())) return false;
        }
    }
    *at += len;
    return true;
}
Node Parse(const Bytes& b) {
    Node n;
    size_t at = 0;
    EXPECT_TRUE(ParseAt(b, &at, b.size(), &n));
    EXPECT_EQ(b.size(), at);
    return n;
}

std::string Hex(const Bytes& b) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned char c : b) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

// Bytes the framework owns (released with gssp_release_buffer).
gssp_buffer_desc FwBuf(const std::string& s) {
    void* p = std::malloc(s.size());
    memcpy(p, s.data(), s.size());
    return gssp_buffer_desc{s.size(), p};
}
std::string Str(const gssp_buffer_desc& b) {
    return b.value == nullptr ? std::string() : std::string((const char*)b.value, (size_t)b.length);
}
void SetBuf(gssp_buffer_desc* field, const std::string& s) {
    gssp_status m = 0;
    if (field->value != nullptr) gssp_release_buffer(&m, field);
    *field = FwBuf(s);
}

struct Status {
    gssp_status major;
    gssp_status minor;
};

const char kNegoOid[] = "1.3.6.1.4.1.99.100";
const char* const kMechs[][2] = {
    {"MECHA", "1.3.6.1.4.1.99.1"}, {"MECHB", "1.3.6.1.4.1.99.2"}, {"MECHC", "1.3.6.1.4.1.99.3"}};

class NegTokenTest : public testing::Test {
protected:
    void SetUp() override {
        test_memory::reset();
        qxgss::ResetFramework();
        std::vector<std::pair<bool, std::string>> items;
        for (int k = 0; k < 3; ++k) {
            Add(kMechs[k][0], kMechs[k][1], k + 1, {});
            items.push_back({true, kMechs[k][1]});
        }
        Add("QXNEGO", kNegoOid, 0, items);
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_configure(&m, nullptr, nullptr, nullptr)) << std::hex << m;
        ASSERT_EQ(3u, qxnego_process_state.mech_list.count);
        baseline_blocks_ = test_memory::live_blocks();
    }

    void TearDown() override {
        for (gssp_ctx_id_t& h : contexts_) {
            gssp_status m = 0;
            if (h != nullptr) {
                EXPECT_EQ(0u, QXNEGO_delete_sec_context(&m, &h, nullptr));
            }
        }
        EXPECT_EQ(baseline_blocks_, test_memory::live_blocks());
        gssp_status m = 0;
        QXNEGO_INT_ReleaseProcessState(&m);
        EXPECT_EQ(0, test_memory::live_blocks());
        qxgss::ResetFramework();
    }

    static void Add(const char* name, const char* oid, int rank, std::vector<std::pair<bool, std::string>> items) {
        qxgss::MechanismDefinition d;
        d.name = name;
        d.oid = oid;
        d.properties[QXGSS_PROPERTY_NEGOTIATION_PREFERRED] = 0;
        d.properties[QXGSS_PROPERTY_RANK] = rank;
        d.properties[QXGSS_PROPERTY_SSO_SUPPORTED] = 1;
        d.negotiable = std::move(items);
        gssp_mech_info ep;
        memset(&ep, 0, sizeof ep);
        uint32_t index = 0;
        std::string error;
        ASSERT_TRUE(qxgss::AddMechanism(d, ep, &index, &error)) << error;
    }

    NegContext* NewContext(uint32_t initiator) {
        gssp_ctx_id_t h = nullptr;
        gssp_status m = 0;
        EXPECT_EQ(0u, QXNEGO_INT_CreateNegContext(&m, initiator, &h)) << std::hex << m;
        contexts_.push_back(h);
        return (NegContext*)h;
    }
    // A client ready for its first token: authentication ID alice.
    NegContext* Client() {
        NegContext* c = NewContext(1);
        SetBuf(&c->authentication_id, "alice");
        return c;
    }
    void Delete(NegContext* c) {
        for (gssp_ctx_id_t& h : contexts_) {
            if (h != c) continue;
            gssp_status m = 0;
            EXPECT_EQ(0u, QXNEGO_delete_sec_context(&m, &h, nullptr));
        }
    }

    static Status Encode(NegContext* c, uint32_t type, Bytes* out) {
        gssp_buffer_desc token = {1, &token};  // must be reset by the call
        Status s{0, 0};
        s.major = QXNEGO_INT_EncodeNegToken(&s.minor, type, c, &token);
        out->clear();
        EXPECT_EQ(token.length == 0, token.value == nullptr);
        if (token.value != nullptr) {
            const unsigned char* p = (const unsigned char*)token.value;
            out->assign(p, p + token.length);
            gssp_status m = 0;
            gssp_release_buffer(&m, &token);
        }
        return s;
    }
    static Bytes MustEncode(NegContext* c, uint32_t type) {
        Bytes out;
        const Status s = Encode(c, type, &out);
        EXPECT_EQ(0u, s.major) << std::hex << s.minor;
        EXPECT_EQ((uint32_t)QXNEGO_S_SUCCESS, s.minor);
        return out;
    }
    static Status Decode(NegContext* c, uint32_t type, const Bytes& token) {
        gssp_buffer_desc in = {token.size(), token.empty() ? nullptr : (void*)token.data()};
        Status s{0, 0};
        s.major = QXNEGO_INT_DecodeNegToken(&s.minor, type, &in, c);
        return s;
    }

    static std::string RenderedLog(const NegContext* c) {
        gssp_buffer_desc out = {0, nullptr};
        gssp_status m = 0;
        EXPECT_EQ(0u, QXNEGO_INT_RenderNegLog(&m, c, &out));
        std::string text = Str(out);
        qxnego_free(out.value);
        return text;
    }

    static const gssp_OID_desc* OidOf(int k) { return qxnego_process_state.mech_list.entries[k].oid; }
    static Bytes NegMech(int k, uint32_t state, std::initializer_list<Bytes> more = {}) {
        Bytes content = Oid(0, OidOf(k));
        const Bytes s = Int(1, state);
        content.insert(content.end(), s.begin(), s.end());
        for (const Bytes& p : more) content.insert(content.end(), p.begin(), p.end());
        return Tlv(0xA0, content);
    }
    static std::vector<uint32_t> ReportFlags(const NegContext* c) {
        std::vector<uint32_t> flags;
        for (uint32_t k = 0; k < c->mech_list.count; ++k) flags.push_back(c->mech_list.entries[k].report_flag);
        return flags;
    }

    std::vector<gssp_ctx_id_t> contexts_;
    int baseline_blocks_ = 0;
    // 1.3.6.1.4.1.99.77, a mechanism this side does not have.
    unsigned char unknown_bytes_[7] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x63, 0x4D};
    gssp_OID_desc unknown_oid_{7, unknown_bytes_};
};

// ---- Byte form ----------------------------------------------------------------

TEST_F(NegTokenTest, NegTokenInitCarriesItsItemsInOrderAndNegMechsByPresenceRules) {
    NegContext* c = Client();
    SetBuf(&c->user, "u1");
    SetBuf(&c->profile, "p1");
    NegMechEntry* e = c->mech_list.entries;
    SetBuf(&e[0].output_token, "T1");
    e[1].MechState = REJ;  // a failure: tags 3-5 travel whatever the reason
    e[1].MechReason = QXNEGO_MECH_REASON_POLICY;
    e[1].major_status = GSSP_S_FAILURE;
    e[1].minor_status = 0xE1000099u;
    SetBuf(&e[1].status_text, "no");
    e[2].report_flag = 0;  // Available, but no change to report: no tag 2

    const Node top = Parse(MustEncode(c, QXNEGO_TOKEN_INIT));
    EXPECT_EQ(0xA0, top.id);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 4, 5}), top.Tags());
    EXPECT_EQ(INCOMPLETE, (int)top.Child(1)->Value());
    EXPECT_EQ("alice", top.Child(2)->Text());
    EXPECT_EQ("u1", top.Child(4)->Text());
    EXPECT_EQ("p1", top.Child(5)->Text());
    const Node& list = top.kids[0];
    EXPECT_EQ(0xA0, list.id);
    ASSERT_EQ(3u, list.kids.size());
    for (const Node& m : list.kids) EXPECT_EQ(0xA0, m.id);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 6}), list.kids[0].Tags());
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5}), list.kids[1].Tags());
    EXPECT_EQ((std::vector<uint32_t>{0, 1}), list.kids[2].Tags());
    EXPECT_EQ(Oid(0, OidOf(0)), Tlv(list.kids[0].kids[0].id, list.kids[0].kids[0].content));
    EXPECT_EQ("T1", list.kids[0].Child(6)->Text());
    EXPECT_EQ(0xE1000099u, list.kids[1].Child(4)->Value());
    EXPECT_EQ("no", list.kids[1].Child(5)->Text());
    EXPECT_EQ((std::vector<uint32_t>{0, 0, 0}), ReportFlags(c));
}

TEST_F(NegTokenTest, SingleSignOnSendsTheFlagInsteadOfTheIdAndEachMechanismsUser) {
    NegContext* c = NewContext(1);
    c->sso = 1;
    SetBuf(&c->mech_list.entries[1].authentication_id, "carol");
    const Bytes token = MustEncode(c, QXNEGO_TOKEN_INIT);
    const Node top = Parse(token);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 3}), top.Tags());
    EXPECT_EQ(1u, top.Child(3)->Value());
    EXPECT_EQ(nullptr, top.kids[0].kids[0].Child(7));
    EXPECT_EQ("carol", top.kids[0].kids[1].Child(7)->Text());

    NegContext* s = NewContext(0);
    const Status st = Decode(s, QXNEGO_TOKEN_INIT, token);
    ASSERT_EQ(0u, st.major) << std::hex << st.minor;
    EXPECT_EQ(1u, s->sso);
    EXPECT_EQ(0u, s->authentication_id.length);
    EXPECT_EQ("carol", Str(s->mech_list.entries[1].authentication_id));
    EXPECT_EQ("", Str(s->mech_list.entries[0].authentication_id));
}

// The bytes the README's "Token bytes" section shows.
TEST_F(NegTokenTest, EncodingsAreStableBytes) {
    NegContext* c = Client();
    SetBuf(&c->mech_list.entries[0].output_token, "T1");
    for (uint32_t k = 1; k < 3; ++k) c->mech_list.entries[k].report_flag = 0;
    c->mech_list.entries[2].MechState = REJ;
    EXPECT_EQ("A02FA023A01380072B06010401630181010182010186025431"
              "A00C80072B0601040163028101018101028205616C696365",
              Hex(MustEncode(c, QXNEGO_TOKEN_INIT)));

    NegContext* s = NewContext(0);
    s->NegState = COMPLETED;
    s->IsPolicyApplied = 1;
    s->selected_entry_index = 0;
    s->mech_list.entries[0].MechState = SEL;
    s->mech_list.entries[0].MechReason = QXNEGO_MECH_REASON_RANK;
    s->mech_list.entries[1].MechState = REJ;
    s->mech_list.entries[1].MechReason = QXNEGO_MECH_REASON_RANK;
    s->mech_list.entries[2].report_flag = 0;
    s->mech_list.entries[2].MechState = REJ;
    EXPECT_EQ("A133A022A00F80072B060104016301810102820106"
              "A00F80072B060104016302810103820106"
              "81010182072B060104016301830101",
              Hex(MustEncode(s, QXNEGO_TOKEN_RESP)));
}

// ---- Round trips ------------------------------------------------------------------

TEST_F(NegTokenTest, ClientInitDecodedByServerMergesEveryField) {
    NegContext* c = Client();
    SetBuf(&c->user, "u1");
    SetBuf(&c->profile, "p1");
    NegMechEntry* ce = c->mech_list.entries;
    SetBuf(&ce[0].output_token, "T1");
    SetBuf(&ce[0].authentication_id, "a-id");
    ce[1].MechState = REJ;  // sent with a failure, but reason 5: details not read
    ce[1].MechReason = QXNEGO_MECH_REASON_POLICY;
    ce[1].major_status = GSSP_S_FAILURE;
    ce[1].minor_status = 7;
    SetBuf(&ce[1].status_text, "ignored");
    ce[2].MechState = REJ;  // reason 2: details read
    ce[2].MechReason = QXNEGO_MECH_REASON_GSSAPI_ERROR;
    ce[2].major_status = GSSP_S_NO_CRED;
    ce[2].minor_status = 0xE1000099u;
    SetBuf(&ce[2].status_text, "no credential");
    const Bytes token = MustEncode(c, QXNEGO_TOKEN_INIT);

    NegContext* s = NewContext(0);
    const Status st = Decode(s, QXNEGO_TOKEN_INIT, token);
    ASSERT_EQ(0u, st.major) << std::hex << st.minor;
    EXPECT_EQ((uint32_t)QXNEGO_S_SUCCESS, st.minor);
    EXPECT_EQ((uint32_t)INCOMPLETE, s->NegStateFromPeer);
    EXPECT_EQ("alice", Str(s->authentication_id));
    EXPECT_EQ(0u, s->sso);
    EXPECT_EQ("u1", Str(s->user));
    EXPECT_EQ("p1", Str(s->profile));
    EXPECT_EQ(-1, s->selected_entry_index);
    ASSERT_EQ(3u, s->mech_list.count);
    const NegMechEntry* se = s->mech_list.entries;
    EXPECT_EQ((uint32_t)AV, se[0].MechState);
    EXPECT_EQ("T1", Str(se[0].input_token));  // tag 6 arrives as the input token
    EXPECT_EQ("", Str(se[0].output_token));
    EXPECT_EQ("a-id", Str(se[0].authentication_id));
    EXPECT_EQ((uint32_t)REJ, se[1].MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_POLICY, se[1].MechReason);
    EXPECT_EQ(0u, se[1].major_status);
    EXPECT_EQ(0u, se[1].minor_status);
    EXPECT_EQ("", Str(se[1].status_text));
    EXPECT_EQ((uint32_t)REJ, se[2].MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_GSSAPI_ERROR, se[2].MechReason);
    EXPECT_EQ(GSSP_S_NO_CRED, se[2].major_status);
    EXPECT_EQ(0xE1000099u, se[2].minor_status);
    EXPECT_EQ("no credential", Str(se[2].status_text));
    EXPECT_EQ((std::vector<uint32_t>{1, 0, 0}), ReportFlags(s));  // peer's changes are not sent back
    EXPECT_EQ(std::string::npos, RenderedLog(s).find(QXNEGO_LOG_INIT_PEER_STATE));
}

TEST_F(NegTokenTest, ServerRespCarriesTheSelectionAndPolicyToTheClient) {
    NegContext* s = NewContext(0);
    s->NegState = COMPLETED;
    s->IsPolicyApplied = 1;
    s->selected_entry_index = 1;
    s->selected_mech_index = s->mech_list.entries[1].mech_index;
    s->mech_list.entries[1].MechState = SEL;
    SetBuf(&s->mech_list.entries[1].output_token, "S2");
    s->mech_list.entries[0].MechState = REJ;
    s->mech_list.entries[0].MechReason = QXNEGO_MECH_REASON_RANK;
    s->mech_list.entries[2].MechState = REJ;
    s->mech_list.entries[2].MechReason = QXNEGO_MECH_REASON_RANK;
    const Bytes token = MustEncode(s, QXNEGO_TOKEN_RESP);
    const Node top = Parse(token);
    EXPECT_EQ(0xA1, top.id);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3}), top.Tags());
    EXPECT_EQ(Oid(2, OidOf(1)), Tlv(top.Child(2)->id, top.Child(2)->content));

    NegContext* c = Client();
    c->call_counter = 1;
    const Status st = Decode(c, QXNEGO_TOKEN_RESP, token);
    ASSERT_EQ(0u, st.major) << std::hex << st.minor;
    EXPECT_EQ((uint32_t)COMPLETED, c->NegStateFromPeer);
    EXPECT_EQ(1, c->selected_entry_index);
    EXPECT_EQ(c->mech_list.entries[1].mech_index, c->selected_mech_index);
    EXPECT_EQ(1u, c->IsPolicyApplied);
    EXPECT_EQ("S2", Str(c->mech_list.entries[1].input_token));
    EXPECT_EQ((uint32_t)REJ, c->mech_list.entries[0].MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_RANK, c->mech_list.entries[0].MechReason);
    const std::string log = RenderedLog(c);
    EXPECT_NE(std::string::npos, log.find(QXNEGO_LOG_RESP_PEER_STATE));
    EXPECT_NE(std::string::npos, log.find(QXNEGO_LOG_RESP_POLICY_AT_SERVER));

    // Once the peer has completed, nothing more is produced.
    c->mech_list.entries[2].report_flag = 1;
    Bytes out;
    const Status after = Encode(c, QXNEGO_TOKEN_RESP, &out);
    EXPECT_EQ(0u, after.major);
    EXPECT_EQ((uint32_t)QXNEGO_S_SUCCESS, after.minor);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ((std::vector<uint32_t>{0, 0, 1}), ReportFlags(c));
}

TEST_F(NegTokenTest, ClientRespWithoutSelectionLeavesTheServersChoiceOpen) {
    NegContext* c = Client();
    c->call_counter = 1;
    SetBuf(&c->mech_list.entries[0].output_token, "C1b");
    const Bytes token = MustEncode(c, QXNEGO_TOKEN_RESP);
    EXPECT_EQ((std::vector<uint32_t>{0, 1}), Parse(token).Tags());

    NegContext* s = NewContext(0);
    const Status st = Decode(s, QXNEGO_TOKEN_RESP, token);
    ASSERT_EQ(0u, st.major) << std::hex << st.minor;
    EXPECT_EQ((uint32_t)INCOMPLETE, s->NegStateFromPeer);
    EXPECT_EQ(-1, s->selected_entry_index);
    EXPECT_EQ(0u, s->IsPolicyApplied);
    EXPECT_EQ("C1b", Str(s->mech_list.entries[0].input_token));
    EXPECT_EQ(std::string::npos, RenderedLog(s).find(QXNEGO_LOG_RESP_PEER_STATE));
}

TEST_F(NegTokenTest, SecondEncodingWritesOnlyAvailableEntriesUntilAStateChanges) {
    NegContext* s = NewContext(0);
    s->mech_list.entries[1].MechState = REJ;
    s->mech_list.entries[1].MechReason = QXNEGO_MECH_REASON_POLICY;
    EXPECT_EQ(3u, Parse(MustEncode(s, QXNEGO_TOKEN_RESP)).kids[0].kids.size());

    const Node again = Parse(MustEncode(s, QXNEGO_TOKEN_RESP));
    ASSERT_EQ(2u, again.kids[0].kids.size());
    for (const Node& m : again.kids[0].kids) EXPECT_EQ((std::vector<uint32_t>{0, 1}), m.Tags());

    gssp_status m = 0;
    ASSERT_EQ(0u, QXNEGO_INT_SetMechState(&m, REJ, QXNEGO_MECH_REASON_RANK, 0, 0, nullptr, &s->mech_list.entries[2]));
    const Node third = Parse(MustEncode(s, QXNEGO_TOKEN_RESP));
    ASSERT_EQ(2u, third.kids[0].kids.size());
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2}), third.kids[0].kids[1].Tags());
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_RANK, third.kids[0].kids[1].Child(2)->Value());
}

// ---- Refusals ------------------------------------------------------------------------

TEST_F(NegTokenTest, EncodeRefusalsReturnNothingAndKeepTheReportFlags) {
    struct Case {
        const char* name;
        uint32_t type;
        std::function<void(NegContext*)> set;
        uint32_t minor;
        uint32_t major;
    };
    const Case cases[] = {
        {"type 0", 0, [](NegContext*) {}, QXNEGO_E_BAD_TOKEN_TYPE, kFailure},
        {"type 3", 3, [](NegContext*) {}, QXNEGO_E_BAD_TOKEN_TYPE, kFailure},
        {"init on server", 1, [](NegContext* c) { c->IsInitiator = 0; }, QXNEGO_E_INIT_TOKEN_NOT_FIRST, kFailure},
        {"init later", 1, [](NegContext* c) { c->call_counter = 1; }, QXNEGO_E_INIT_TOKEN_NOT_FIRST, kFailure},
        {"init completed", 1, [](NegContext* c) { c->NegState = COMPLETED; }, QXNEGO_E_BAD_NEG_STATE, kFailure},
        {"resp state 0", 2, [](NegContext* c) { c->NegState = 0; }, QXNEGO_E_BAD_NEG_STATE, kFailure},
        {"resp state 5", 2, [](NegContext* c) { c->NegState = 5; }, QXNEGO_E_BAD_NEG_STATE, kFailure},
        {"init empty list", 1, [](NegContext* c) { c->mech_list.count = 0; }, QXNEGO_E_MECH_LIST_EMPTY, kFailure},
        {"resp empty list", 2, [](NegContext* c) { c->mech_list.count = 0; }, QXNEGO_E_MECH_LIST_EMPTY, kFailure},
        {"nothing to report", 2,
         [](NegContext* c) {
             for (uint32_t k = 0; k < 3; ++k) {
                 c->mech_list.entries[k].MechState = REJ;
                 c->mech_list.entries[k].report_flag = 0;
             }
         },
         QXNEGO_E_NO_MECHS_TO_ENCODE, kFailure},
        {"no auth id", 1, [](NegContext* c) { SetBuf(&c->authentication_id, ""); }, QXNEGO_E_NO_AUTH_ID, kFailure},
        {"sso with auth id", 1, [](NegContext* c) { c->sso = 1; }, QXNEGO_E_INTERNAL, kFailure},
        {"completed, no selection", 2, [](NegContext* c) { c->NegState = COMPLETED; }, QXNEGO_E_INVALID_INPUT,
         kFailure},
        {"completed, selection outside", 2,
         [](NegContext* c) {
             c->NegState = COMPLETED;
             c->selected_entry_index = 3;
         },
         QXNEGO_E_INVALID_INPUT, kFailure},
        {"entry without OID", 2, [](NegContext* c) { c->mech_list.entries[2].oid = nullptr; },
         QXNEGO_E_INVALID_INPUT, kFailure},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        NegContext* c = Client();
        const NegMechList saved = c->mech_list;
        const gssp_OID saved_oid = c->mech_list.entries[2].oid;
        k.set(c);
        Bytes out;
        const Status st = Encode(c, k.type, &out);
        EXPECT_EQ(k.major, st.major);
        EXPECT_EQ(k.minor, st.minor) << std::hex << st.minor;
        EXPECT_TRUE(out.empty());
        c->mech_list = saved;
        c->mech_list.entries[2].oid = saved_oid;
        if (k.minor != QXNEGO_E_NO_MECHS_TO_ENCODE) {
            EXPECT_EQ((std::vector<uint32_t>{1, 1, 1}), ReportFlags(c));
        }
        Delete(c);
    }
    gssp_buffer_desc out = {1, &out};
    gssp_status m = 0;
    EXPECT_EQ(kWriteFailure, QXNEGO_INT_EncodeNegToken(&m, 1, Client(), nullptr));
    EXPECT_EQ((uint32_t)QXNEGO_E_NULL_BUFFER, m);
    EXPECT_EQ(kReadFailure, QXNEGO_INT_EncodeNegToken(&m, 1, nullptr, &out));
    EXPECT_EQ((uint32_t)QXNEGO_E_INVALID_INPUT, m);
    EXPECT_EQ(0u, out.length);
    EXPECT_EQ(nullptr, out.value);
}

TEST_F(NegTokenTest, DecodeArgumentRefusals) {
    NegContext* s = NewContext(0);
    const Bytes token = Seq(0, {Seq(0, {NegMech(0, AV)}), Int(1, INCOMPLETE)});
    gssp_buffer_desc in = {token.size(), (void*)token.data()};
    gssp_buffer_desc empty = {0, (void*)token.data()};
    gssp_buffer_desc no_bytes = {token.size(), nullptr};
    const struct {
        uint32_t type;
        const gssp_buffer_desc* in;
        NegContext* ctx;
        uint32_t minor;
        uint32_t major;
    } cases[] = {
        {0, &in, s, QXNEGO_E_BAD_TOKEN_TYPE, kFailure},
        {3, &in, s, QXNEGO_E_BAD_TOKEN_TYPE, kFailure},
        {1, nullptr, s, QXNEGO_E_INVALID_INPUT, kReadFailure},
        {1, &empty, s, QXNEGO_E_INVALID_INPUT, kReadFailure},
        {1, &no_bytes, s, QXNEGO_E_INVALID_INPUT, kReadFailure},
        {1, &in, nullptr, QXNEGO_E_INVALID_INPUT, kWriteFailure},
    };
    for (const auto& k : cases) {
        gssp_status m = 0;
        EXPECT_EQ(k.major, QXNEGO_INT_DecodeNegToken(&m, k.type, k.in, k.ctx));
        EXPECT_EQ(k.minor, m);
    }
    EXPECT_EQ((uint32_t)INCOMPLETE, s->NegStateFromPeer);
}

// Hand-built tokens, each refused with its status; the context stays valid.
TEST_F(NegTokenTest, DecodeRefusesMalformedTokens) {
    const Bytes mechs = Seq(0, {NegMech(0, AV), NegMech(1, AV)});
    const Bytes state2 = Int(1, INCOMPLETE);
    std::vector<Bytes> many;
    for (int k = 0; k <= QXNEGO_MAX_NEGMECHS; ++k) many.push_back(NegMech(0, AV));
    struct Case {
        const char* name;
        uint32_t type;
        Bytes token;
        uint32_t minor;
    };
    const Case cases[] = {
        {"not DER", 1, Bytes{0x30, 0x05, 0x01}, kAsnBadEncoding},
        {"trailing byte", 1, [&] { Bytes t = Seq(0, {mechs, state2}); t.push_back(0); return t; }(), kAsnBadEncoding},
        {"init: top tag 1", 1, Seq(1, {mechs, state2}), QXNEGO_E_INIT_TOKEN_DECODE},
        {"init: empty top", 1, Seq(0, {}), QXNEGO_E_INIT_TOKEN_DECODE},
        {"init: primitive top", 1, Int(0, 2), QXNEGO_E_INIT_TOKEN_DECODE},
        {"resp: top tag 0", 2, Seq(0, {mechs, state2}), QXNEGO_E_RESP_TOKEN_DECODE},
        {"no NegMech list", 1, Seq(0, {state2}), QXNEGO_E_MECH_LIST_EMPTY},
        {"empty NegMech list", 2, Seq(1, {Seq(0, {}), state2}), QXNEGO_E_MECH_LIST_EMPTY},
        {"list counts a non-NegMech", 1, Seq(0, {Seq(0, {NegMech(0, AV), Int(1, 1)}), state2}),
         QXNEGO_E_NEGMECH_DECODE},
        {"empty NegMech", 1, Seq(0, {Seq(0, {Seq(0, {}), NegMech(0, AV)}), state2}), QXNEGO_E_NEGMECH_DECODE},
        {"too many NegMechs", 2, Seq(1, {SeqOf(0, many), state2}), QXNEGO_E_NEGMECH_DECODE},
        {"NegMech without OID", 1, Seq(0, {Seq(0, {Seq(0, {Int(1, AV)})}), state2}), kAsnAbsent},
        {"NegMech with empty OID", 1, Seq(0, {Seq(0, {Seq(0, {Buf(0, ""), Int(1, AV)})}), state2}),
         QXNEGO_E_NEGMECH_DECODE},
        {"NegMech without state", 1, Seq(0, {Seq(0, {Seq(0, {Oid(0, OidOf(0))})}), state2}), kAsnAbsent},
        {"NegMech state 7", 1, Seq(0, {Seq(0, {NegMech(0, 7)}), state2}), QXNEGO_E_BAD_STATE_CHANGE},
        {"NegMech integer not minimal", 1, Seq(0, {Seq(0, {NegMech(0, AV, {Buf(2, std::string("\0\1", 2))})}), state2}),
         kAsnBadEncoding},
        {"reason 2 without text", 1,
         Seq(0, {Seq(0, {NegMech(0, REJ, {Int(2, 2), Int(3, GSSP_S_FAILURE), Int(4, 9)})}), state2}), kAsnAbsent},
        {"reason 2 without minor", 1,
         Seq(0, {Seq(0, {NegMech(0, REJ, {Int(2, 2), Int(3, GSSP_S_FAILURE), Buf(5, "x")})}), state2}), kAsnAbsent},
        {"no NegState", 1, Seq(0, {mechs}), kAsnAbsent},
        {"NegState without bytes", 2, Seq(1, {mechs, Buf(1, "")}), kAsnBadEncoding},
        {"resp completed without OID", 2, Seq(1, {mechs, Int(1, COMPLETED)}), kAsnAbsent},
        {"resp completed, empty OID", 2, Seq(1, {mechs, Int(1, COMPLETED), Buf(2, "")}),
         QXNEGO_E_SELECTED_OID_DECODE},
        {"resp completed, unknown OID", 2, Seq(1, {mechs, Int(1, COMPLETED), Oid(2, &unknown_oid_)}),
         QXNEGO_E_SELECTED_MECH_NOT_FOUND},
        {"policy flag without bytes", 2, Seq(1, {mechs, state2, Buf(3, "")}), kAsnBadEncoding},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        NegContext* ctx = NewContext(k.type == 1 ? 0 : 1);
        const Status st = Decode(ctx, k.type, k.token);
        EXPECT_EQ(kFailure, st.major);
        EXPECT_EQ(k.minor, st.minor) << std::hex << st.minor;
        EXPECT_EQ(-1, ctx->selected_entry_index);
        const uint32_t peer = ctx->NegStateFromPeer;
        EXPECT_TRUE(peer >= COMPLETED && peer <= REJECT) << peer;
        Delete(ctx);
    }
}

TEST_F(NegTokenTest, PeerNegStateIsCheckedPerTokenKind) {
    const Bytes mechs = Seq(0, {NegMech(0, AV)});
    const struct {
        uint32_t type;
        uint32_t state;
        uint32_t minor;  // success: the state is taken
    } cases[] = {
        {1, 0, QXNEGO_E_BAD_NEG_STATE},         {1, 1, QXNEGO_S_SUCCESS},
        {1, 2, QXNEGO_S_SUCCESS},               {1, 3, QXNEGO_E_BAD_NEG_STATE},
        {1, 4, QXNEGO_E_UNSUPPORTED_NEG_STATE}, {1, 5, QXNEGO_E_BAD_NEG_STATE},
        {1, 0xFFFFFFFFu, QXNEGO_E_BAD_NEG_STATE}, {2, 0, QXNEGO_E_BAD_NEG_STATE},
        {2, 2, QXNEGO_S_SUCCESS},               {2, 3, QXNEGO_S_SUCCESS},
        {2, 4, QXNEGO_E_UNSUPPORTED_NEG_STATE}, {2, 5, QXNEGO_E_BAD_NEG_STATE},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "type " << k.type << " state " << k.state);
        NegContext* ctx = NewContext(k.type == 1 ? 0 : 1);
        const Bytes token = k.type == 1 ? Seq(0, {mechs, Int(1, k.state)}) : Seq(1, {mechs, Int(1, k.state)});
        const Status st = Decode(ctx, k.type, token);
        EXPECT_EQ(k.minor, st.minor) << std::hex << st.minor;
        const bool ok = k.minor == QXNEGO_S_SUCCESS;
        EXPECT_EQ(ok ? 0u : kFailure, st.major);
        EXPECT_EQ(ok ? k.state : (uint32_t)INCOMPLETE, ctx->NegStateFromPeer);
        const char* text = k.type == 1 ? QXNEGO_LOG_INIT_PEER_STATE : QXNEGO_LOG_RESP_PEER_STATE;
        EXPECT_EQ(ok && k.state != INCOMPLETE, RenderedLog(ctx).find(text) != std::string::npos);
        Delete(ctx);
    }
}

TEST_F(NegTokenTest, NegMechWithoutReasonTakesTheLocalReason) {
    NegContext* s = NewContext(0);
    const Bytes token = Seq(0, {Seq(0, {NegMech(0, REJ), NegMech(1, AV)}), Int(1, INCOMPLETE)});
    const Status st = Decode(s, QXNEGO_TOKEN_INIT, token);
    ASSERT_EQ(0u, st.major) << std::hex << st.minor;
    EXPECT_EQ((uint32_t)REJ, s->mech_list.entries[0].MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_AVAILABLE, s->mech_list.entries[0].MechReason);
    EXPECT_EQ((uint32_t)AV, s->mech_list.entries[1].MechState);
}

TEST_F(NegTokenTest, UnknownMechanismBecomesARejectedEntryOwningItsOid) {
    NegContext* s = NewContext(0);
    const Bytes token =
        Seq(0, {Seq(0, {Seq(0, {Oid(0, &unknown_oid_), Int(1, AV), Buf(6, "tok"), Buf(7, "id")}), NegMech(2, AV)}),
                Int(1, INCOMPLETE)});
    const Status st = Decode(s, QXNEGO_TOKEN_INIT, token);
    ASSERT_EQ(0u, st.major) << std::hex << st.minor;
    ASSERT_EQ(4u, s->mech_list.count);
    const NegMechEntry& e = s->mech_list.entries[3];
    EXPECT_EQ(&e.own_oid, e.oid);
    EXPECT_EQ(unknown_oid_.length, e.own_oid.length);
    EXPECT_EQ(0, memcmp(unknown_oid_.elements, e.own_oid.elements, unknown_oid_.length));
    EXPECT_EQ((uint32_t)REJ, e.MechState);
    EXPECT_EQ((uint32_t)QXNEGO_MECH_REASON_NOT_AT_SERVER, e.MechReason);
    EXPECT_EQ(0u, e.input_token.length);
    EXPECT_EQ(0u, e.authentication_id.length);
    // Reported back as Rejected in the next token.
    const Node next = Parse(MustEncode(s, QXNEGO_TOKEN_RESP));
    EXPECT_EQ(Oid(0, &unknown_oid_), Tlv(next.kids[0].kids.back().kids[0].id, next.kids[0].kids.back().kids[0].content));
}

TEST_F(NegTokenTest, SecondInitReplacesTheLogonValuesWithoutLosingBytes) {
    NegContext* s = NewContext(0);
    const Bytes first = Seq(0, {Seq(0, {NegMech(0, AV)}), Int(1, INCOMPLETE), Buf(2, "alice"), Buf(4, "u")});
    const Bytes second = Seq(0, {Seq(0, {NegMech(0, AV)}), Int(1, INCOMPLETE), Buf(2, "bob"), Buf(5, "p")});
    ASSERT_EQ(0u, Decode(s, QXNEGO_TOKEN_INIT, first).major);
    ASSERT_EQ(0u, Decode(s, QXNEGO_TOKEN_INIT, second).major);
    EXPECT_EQ("bob", Str(s->authentication_id));
    EXPECT_EQ("u", Str(s->user));  // absent items leave the field as it was
    EXPECT_EQ("p", Str(s->profile));
}

// ---- Hostile bytes and failed allocations -------------------------------------------------

TEST_F(NegTokenTest, TruncatedAndFlippedTokensFailCleanly) {
    NegContext* c = Client();
    SetBuf(&c->user, "u1");
    SetBuf(&c->profile, "p1");
    SetBuf(&c->mech_list.entries[0].output_token, "T1");
    SetBuf(&c->mech_list.entries[0].authentication_id, "a-id");
    c->mech_list.entries[2].MechState = REJ;
    c->mech_list.entries[2].MechReason = QXNEGO_MECH_REASON_GSSAPI_ERROR;
    c->mech_list.entries[2].major_status = GSSP_S_FAILURE;
    SetBuf(&c->mech_list.entries[2].status_text, "failed");
    const Bytes init = MustEncode(c, QXNEGO_TOKEN_INIT);
    NegContext* s = NewContext(0);
    s->NegState = COMPLETED;
    s->IsPolicyApplied = 1;
    s->selected_entry_index = 0;
    SetBuf(&s->mech_list.entries[0].output_token, "S1");
    const Bytes resp = MustEncode(s, QXNEGO_TOKEN_RESP);
    Delete(c);
    Delete(s);
    const int blocks = test_memory::live_blocks();

    for (uint32_t type : {1u, 2u}) {
        const Bytes& good = type == 1 ? init : resp;
        for (size_t n = 1; n < good.size(); ++n) {
            NegContext* ctx = NewContext(type == 1 ? 0 : 1);
            const Status st = Decode(ctx, type, Bytes(good.begin(), good.begin() + (long)n));
            EXPECT_EQ(kFailure, st.major) << "type " << type << " cut at " << n;
            Delete(ctx);
        }
        for (size_t at = 0; at < good.size(); ++at) {
            for (unsigned char flip : {0x01, 0x80, 0xFF}) {
                Bytes bad = good;
                bad[at] ^= flip;
                NegContext* ctx = NewContext(type == 1 ? 0 : 1);
                Decode(ctx, type, bad);
                const uint32_t peer = ctx->NegStateFromPeer;
                EXPECT_TRUE(peer >= COMPLETED && peer <= REJECT);
                const int32_t k = ctx->selected_entry_index;
                EXPECT_TRUE(k == -1 || (k >= 0 && (uint32_t)k < ctx->mech_list.count));
                Delete(ctx);
            }
        }
    }
    EXPECT_EQ(blocks, test_memory::live_blocks());
}

TEST_F(NegTokenTest, EveryFailedAllocationFailsWithoutLeaking) {
    // Decoding on the server: known and unknown mechanisms, a peer state
    // change and a failure text, so that the merge allocates on every path.
    const Bytes init = Seq(0, {Seq(0, {NegMech(0, AV, {Int(2, 1), Buf(6, "T1"), Buf(7, "id")}),
                                       NegMech(1, REJ, {Int(2, 2), Int(3, GSSP_S_FAILURE), Int(4, 5), Buf(5, "x")}),
                                       Seq(0, {Oid(0, &unknown_oid_), Int(1, AV), Buf(6, "u")})}),
                               Int(1, COMPLETED), Buf(2, "alice"), Buf(4, "u1"), Buf(5, "p1")});
    const Bytes resp = Seq(1, {Seq(0, {NegMech(0, SEL, {Int(2, 6)}), Seq(0, {Oid(0, &unknown_oid_), Int(1, REJ)})}),
                               Int(1, COMPLETED), Oid(2, OidOf(0)), Int(3, 1)});
    const int blocks = test_memory::live_blocks();
    for (uint32_t type : {1u, 2u}) {
        bool failed_any = true;
        for (int n = 1; failed_any; ++n) {
            SCOPED_TRACE(testing::Message() << "type " << type << " allocation " << n);
            NegContext* ctx = NewContext(type == 1 ? 0 : 1);
            const int before = test_memory::allocations();
            test_memory::fail_allocation(n);
            const Status st = Decode(ctx, type, type == 1 ? init : resp);
            test_memory::fail_allocation(0);
            failed_any = test_memory::allocations() - before >= n;
            if (failed_any) {
                EXPECT_TRUE(GSSP_ERROR(st.major)) << std::hex << st.minor;
            } else {
                EXPECT_EQ(0u, st.major) << std::hex << st.minor;
                EXPECT_EQ(4u, ctx->mech_list.count);
            }
            Delete(ctx);
            EXPECT_EQ(blocks, test_memory::live_blocks());
        }
    }
    // The same with the framework's allocations (decoded items, copies of
    // status texts) failing in turn: every partly decoded NegMech is given back.
    for (uint32_t type : {1u, 2u}) {
        bool failed_any = true;
        for (int n = 1; failed_any; ++n) {
            SCOPED_TRACE(testing::Message() << "type " << type << " framework allocation " << n);
            NegContext* ctx = NewContext(type == 1 ? 0 : 1);
            const int before = qxgss::AllocationCount();
            qxgss::FailAllocation(n);
            const Status st = Decode(ctx, type, type == 1 ? init : resp);
            qxgss::FailAllocation(0);
            failed_any = qxgss::AllocationCount() - before >= n;
            EXPECT_EQ(failed_any, GSSP_ERROR(st.major)) << std::hex << st.minor;
            Delete(ctx);
            EXPECT_EQ(blocks, test_memory::live_blocks());
        }
    }
    // Encoding allocates nothing of the plug-in's own; a failure would show here.
    for (uint32_t type : {1u, 2u}) {
        NegContext* c = Client();
        const int before = test_memory::allocations();
        test_memory::fail_allocation(1);
        const Bytes token = MustEncode(c, type);
        test_memory::fail_allocation(0);
        EXPECT_EQ(before, test_memory::allocations());
        EXPECT_FALSE(token.empty());
        // The framework failing to hand out the encoding: nothing returned,
        // and the changes not yet sent stay marked for the next token.
        for (uint32_t k = 0; k < c->mech_list.count; ++k) c->mech_list.entries[k].report_flag = 1;
        qxgss::FailAllocation(1);
        Bytes out;
        const Status st = Encode(c, type, &out);
        qxgss::FailAllocation(0);
        EXPECT_EQ(kFailure, st.major);
        EXPECT_EQ(0xE100006Fu, st.minor) << std::hex << st.minor;
        EXPECT_TRUE(out.empty());
        EXPECT_EQ((std::vector<uint32_t>{1, 1, 1}), ReportFlags(c));
        Delete(c);
    }
    EXPECT_EQ(blocks, test_memory::live_blocks());
}

}  // namespace
