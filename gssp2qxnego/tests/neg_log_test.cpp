// The negotiation log: creation, appending, growth, rendering and release,
// over the framework stand-in (its buffer calls and mechanism table) with the
// platform calls fixed, and the plug-in's allocator replaced so that any
// allocation can be made to fail.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mechanism_status.h"
#include "neg_log.h"
#include "neg_mech.h"
#include "plugin_memory.h"
#include "qxnego_platform.h"
#include "test_memory.h"

namespace {

const char kHost[] = "testhost.example";
const char kTime[] = "Thu Dec 10 14:00:00 2026\n";
const std::string kHeader = std::string("\nQXNEGO Negotiation Log\n\n\nPackage: Nimbral\nVersion: 15.10.01.00\n") +
                            "Run on:  testhost.example\nRun at:  Thu Dec 10 14:00:00 2026\n\n";
const std::string kNoRecords = "\nNo records found in Negotiation Log.\n\n";
const std::string kWarning = "QXNEGO_INT_NegLogEntry: ***WARNING*** No information provided for logging.";

const uint32_t kMajorFailure = 0x000D0000u;
const uint32_t kMajorWriteFailure = 0x020D0000u;
const uint32_t kMajorReadFailure = 0x010D0000u;

// The platform as the tests fix it.
uint32_t g_tick = 0;
bool g_host_fails = false;
bool g_time_fails = false;

uint32_t fixed_tick() {
    return g_tick;
}

int fixed_host(char* name, size_t size) {
    if (g_host_fails) {
        return -1;
    }
    snprintf(name, size, "%s", kHost);
    return 0;
}

int fixed_time(char* text, size_t size) {
    if (g_time_fails) {
        return -1;
    }
    snprintf(text, size, "%s", kTime);
    return 0;
}

unsigned char kKrbOidBytes[] = {0x2a, 0x86, 0x48, 0x86, 0xf7, 0x12, 0x01, 0x02, 0x02};
unsigned char kPeerOidBytes[] = {0x2b, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x02, 0x0a};
gssp_OID_desc kKrbOid = {sizeof kKrbOidBytes, kKrbOidBytes};

class NegLogTest : public testing::Test {
protected:
    void SetUp() override {
        test_memory::reset();
        saved_count_ = MechCount;
        saved_info_ = pMechInfo;
        memset(mechs_, 0, sizeof mechs_);
        mechs_[0].name = "QXKRB";
        mechs_[1].name = "QXTEST";
        MechCount = 2;
        pMechInfo = mechs_;
        g_tick = 1000;
        g_host_fails = false;
        g_time_fails = false;
        qxnego_platform.tick_count = fixed_tick;
        qxnego_platform.host_name = fixed_host;
        qxnego_platform.time_text = fixed_time;
        memset(&ctx_, 0, sizeof ctx_);
        ctx_.IsInitiator = 1;
        ctx_.NegState = QXNEGO_NEG_STATE_INCOMPLETE;
        ctx_.NegStateFromPeer = QXNEGO_NEG_STATE_INCOMPLETE;
        ASSERT_EQ(0u, QXNEGO_INT_InitNegLog(&minor_, &ctx_));
    }

    void TearDown() override {
        EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor_, &ctx_));
        EXPECT_EQ(0, test_memory::live_blocks());
        qxnego_platform = qxnego_platform_default;
        MechCount = saved_count_;
        pMechInfo = saved_info_;
    }

    static NegMechEntry Entry(int32_t index, uint32_t state, uint32_t reason) {
        NegMechEntry e;
        memset(&e, 0, sizeof e);
        e.oid = &kKrbOid;
        e.mech_index = index;
        e.MechState = state;
        e.MechReason = reason;
        return e;
    }

    void Append(const char* text, const NegMechEntry* entry) {
        gssp_status minor = 0;
        ASSERT_EQ(0u, QXNEGO_INT_NegLogEntry(&minor, text, entry, &ctx_));
        ASSERT_EQ(0x230003E8u, minor);
    }

    std::string Render() {
        gssp_buffer_desc out = {0, nullptr};
        gssp_status minor = 0;
        EXPECT_EQ(0u, QXNEGO_INT_RenderNegLog(&minor, &ctx_, &out));
        EXPECT_EQ(0x230003E8u, minor);
        std::string text(static_cast<const char*>(out.value), static_cast<size_t>(out.length));
        qxnego_free(out.value);
        return text;
    }

    // The log's own state, to see that a failure changed nothing.
    struct Snapshot {
        uint32_t count;
        uint32_t capacity;
        NegLogRecord* records;
        std::string text;
    };
    Snapshot Take() {
        return {ctx_.log.count, ctx_.log.capacity, ctx_.log.records, Render()};
    }
    void ExpectUnchanged(const Snapshot& before) {
        EXPECT_EQ(before.count, ctx_.log.count);
        EXPECT_EQ(before.capacity, ctx_.log.capacity);
        EXPECT_EQ(before.records, ctx_.log.records);
        EXPECT_EQ(before.text, Render());
        const NegLogRecord zero = {};
        for (uint32_t i = ctx_.log.count; i < ctx_.log.capacity; ++i) {
            ASSERT_EQ(0, memcmp(&zero, &ctx_.log.records[i], sizeof zero)) << "record " << i;
        }
    }

    gssp_mech_info mechs_[2];
    uint32_t saved_count_ = 0;
    gssp_mech_info* saved_info_ = nullptr;
    NegContext ctx_;
    gssp_status minor_ = 0;
};

std::string ReadFixture(const char* path) {
    std::string text;
    FILE* f = fopen(path, "rb");
    if (f == nullptr) {
        ADD_FAILURE() << "cannot open " << path;
        return text;
    }
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) {
        text.append(chunk, n);
    }
    fclose(f);
    return text;
}

// The platform's own calls: a host name, ctime's 25-byte text with its
// newline, and a tick counter that moves forward.
TEST(NegLogPlatform, RealCallsGiveHostTimeAndTicks) {
    char host[QXNEGO_HOST_NAME_SIZE] = {0};
    ASSERT_EQ(0, qxnego_platform_default.host_name(host, sizeof host));
    EXPECT_GT(strlen(host), 0u);
    char now[QXNEGO_TIME_TEXT_SIZE] = {0};
    ASSERT_EQ(0, qxnego_platform_default.time_text(now, sizeof now));
    ASSERT_EQ(25u, strlen(now)) << now;
    EXPECT_EQ('\n', now[24]);
    uint32_t a = qxnego_platform_default.tick_count();
    uint32_t b = qxnego_platform_default.tick_count();
    EXPECT_LT(b - a, 10000u);
}

// ---- Creation ----------------------------------------------------------------

TEST_F(NegLogTest, CreatedEmptyWithRoomFor64AndTheStartTime) {
    EXPECT_EQ(0u, ctx_.log.count);
    EXPECT_EQ(64u, ctx_.log.capacity);
    EXPECT_NE(nullptr, ctx_.log.records);
    EXPECT_EQ(1000u, ctx_.log.start_time);
}

TEST_F(NegLogTest, CreationFailures) {
    gssp_status minor = 0;
    EXPECT_EQ(kMajorWriteFailure, QXNEGO_INT_InitNegLog(&minor, nullptr));
    EXPECT_EQ(0xE3000400u, minor);

    NegContext other;
    memset(&other, 0, sizeof other);
    test_memory::fail_allocation(1);
    EXPECT_EQ(kMajorFailure, QXNEGO_INT_InitNegLog(&minor, &other));
    EXPECT_EQ(0xE30003F9u, minor);
    EXPECT_EQ(nullptr, other.log.records);
    EXPECT_EQ(0u, other.log.capacity);
    // Such a context has no log: appending and rendering say so.
    EXPECT_EQ(kMajorWriteFailure, QXNEGO_INT_NegLogEntry(&minor, "x", nullptr, &other));
    EXPECT_EQ(0xE300040Au, minor);
    gssp_buffer_desc out = {7, &other};
    EXPECT_EQ(kMajorReadFailure, QXNEGO_INT_RenderNegLog(&minor, &other, &out));
    EXPECT_EQ(0xE300040Au, minor);
    EXPECT_EQ(0u, out.length);
    EXPECT_EQ(nullptr, out.value);
    EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor, &other));
}

// ---- Rendering -------------------------------------------------------------

TEST_F(NegLogTest, ScriptedSequenceRendersAsTheFixture) {
    NegMechEntry krb = Entry(0, QXNEGO_MECH_STATE_AVAILABLE, QXNEGO_MECH_REASON_AVAILABLE);
    Append(QXNEGO_LOG_MECH_AVAILABLE, &krb);
    g_tick = 1005;
    Append(QXNEGO_LOG_ACQUIRE_SUCCEEDED, &krb);
    g_tick = 1017;
    Append(nullptr, nullptr);

    g_tick = 1020;
    const char failure_text[] = "No credentials cache found";
    krb.MechState = QXNEGO_MECH_STATE_REJECTED;
    krb.MechReason = QXNEGO_MECH_REASON_GSSAPI_ERROR;
    krb.major_status = 0x000D0000u;
    krb.minor_status = 0xE1000067u;
    krb.status_text.length = strlen(failure_text);  // no NUL of its own counted
    krb.status_text.value = const_cast<char*>(failure_text);
    Append(QXNEGO_LOG_INIT_FAILED, &krb);

    g_tick = 1021;
    NegMechEntry test = Entry(1, QXNEGO_MECH_STATE_REJECTED, QXNEGO_MECH_REASON_GSSAPI_ERROR);
    test.major_status = 0x00090000u;
    test.minor_status = 0x23000400u;
    Append(QXNEGO_LOG_INIT_FAILED, &test);

    // The second init call: the server has applied its policy and completed.
    ctx_.call_counter = 1;
    ctx_.IsPolicyApplied = 1;
    ctx_.NegStateFromPeer = QXNEGO_NEG_STATE_COMPLETED;
    g_tick = 1100;
    NegMechEntry peer = Entry(-1, QXNEGO_MECH_STATE_REJECTED, QXNEGO_MECH_REASON_NOT_AT_CLIENT);
    peer.own_oid.length = sizeof kPeerOidBytes;
    peer.own_oid.elements = kPeerOidBytes;
    peer.oid = &peer.own_oid;
    Append(QXNEGO_LOG_PEER_MECH_REJECTED, &peer);

    g_tick = 1250;
    ctx_.NegState = QXNEGO_NEG_STATE_COMPLETED;
    test.MechState = QXNEGO_MECH_STATE_SELECTED;
    test.MechReason = QXNEGO_MECH_REASON_RANK;
    test.IsCtxEstablished = 1;
    Append(nullptr, &test);

    g_tick = 1251;
    test.MechState = 0;
    test.MechReason = 9;
    ctx_.NegState = 5;
    ctx_.NegStateFromPeer = 0;
    Append(QXNEGO_LOG_MECH_SELECTED, &test);

    // The server's side.
    ctx_.IsInitiator = 0;
    ctx_.call_counter = 2;
    ctx_.IsPolicyApplied = 0;
    ctx_.NegState = QXNEGO_NEG_STATE_REQUEST_MIC;
    ctx_.NegStateFromPeer = QXNEGO_NEG_STATE_REJECT;
    g_tick = 71000;
    Append(QXNEGO_LOG_POLICY_NO_USER, nullptr);

    // A mechanism index outside the framework's table prints the OID.
    g_tick = 71001;
    NegMechEntry stray = Entry(7, QXNEGO_MECH_STATE_AVAILABLE, QXNEGO_MECH_REASON_AVAILABLE);
    Append(QXNEGO_LOG_PEER_MECH_STATE, &stray);

    std::string expected = ReadFixture(QXNEGO_NEG_LOG_FIXTURE);
    std::string text = Render();
    EXPECT_EQ(expected, text);
    EXPECT_EQ(expected.size(), text.size());
    // Rendering changes nothing: a second rendering is the same.
    EXPECT_EQ(text, Render());
}

TEST_F(NegLogTest, EmptyLogRendersTheHeaderAndTheNoRecordsText) {
    std::string text = Render();
    EXPECT_EQ(kHeader + kNoRecords, text);
    EXPECT_EQ(39u, kNoRecords.size());
}

// The header's host and time lines appear only when the platform gave them.
TEST_F(NegLogTest, HeaderLinesFollowWhatThePlatformGives) {
    const std::string top = "\nQXNEGO Negotiation Log\n\n\nPackage: Nimbral\nVersion: 15.10.01.00\n";
    const std::string host = "Run on:  testhost.example\n";
    const std::string time = "Run at:  Thu Dec 10 14:00:00 2026\n\n";
    struct Case {
        bool host_fails;
        bool time_fails;
        std::string header;
    } cases[] = {
        {false, false, top + host + time},
        {true, false, top + time},
        {false, true, top + host},
        {true, true, top},
    };
    for (const Case& c : cases) {
        g_host_fails = c.host_fails;
        g_time_fails = c.time_fails;
        EXPECT_EQ(c.header + kNoRecords, Render()) << c.host_fails << c.time_fails;
    }
}

// The elapsed time is the tick counter's difference in 32 bits: a counter
// that wrapped since the log was made still gives the time passed, and
// large values print unsigned on every platform.
TEST_F(NegLogTest, ElapsedTimeIn32Bits) {
    struct Case {
        uint32_t start;
        uint32_t now;
        const char* line;
    } cases[] = {
        {0xFFFFFF00u, 0x00000100u, "   Elapsed Time:     512 ms\n"},
        {0xFFFFFFFFu, 0xFFFFFFFEu, "   Elapsed Time:     4294967295 ms\n"},
        {5u, 3000000005u, "   Elapsed Time:     3000000000 ms\n"},
        {77u, 77u, "   Elapsed Time:     0 ms\n"},
    };
    for (const Case& c : cases) {
        ctx_.log.start_time = c.start;
        g_tick = c.now;
        Append("step", nullptr);
        std::string text = Render();
        std::string tail = std::string(c.line) + "\n";
        ASSERT_GE(text.size(), tail.size());
        EXPECT_EQ(tail, text.substr(text.size() - tail.size())) << c.start << " " << c.now;
    }
}

// The GSS status lines come with reason 2 only, the text line only when
// there is a text.
TEST_F(NegLogTest, StatusLinesOnlyForGssapiErrors) {
    const char status_text[] = "bad";
    struct Case {
        uint32_t reason;
        bool with_text;
        const char* lines;
    } cases[] = {
        {QXNEGO_MECH_REASON_GSSAPI_ERROR, true,
         "   MechReason:       GSSAPI Error\n   GSS MajorStatus:  000D0000\n   GSS MinorStatus:  E30003F3\n"
         "   GSS MinorStatusText:  bad\n   IsCtxEstablished: FALSE\n"},
        {QXNEGO_MECH_REASON_GSSAPI_ERROR, false,
         "   MechReason:       GSSAPI Error\n   GSS MajorStatus:  000D0000\n   GSS MinorStatus:  E30003F3\n"
         "   IsCtxEstablished: FALSE\n"},
        {QXNEGO_MECH_REASON_POLICY, true, "   MechReason:       Due to Policy\n   IsCtxEstablished: FALSE\n"},
        {QXNEGO_MECH_REASON_SSO_REQUIRED, false,
         "   MechReason:       Single Sign-On Required\n   IsCtxEstablished: FALSE\n"},
    };
    for (const Case& c : cases) {
        NegMechEntry e = Entry(0, QXNEGO_MECH_STATE_REJECTED, c.reason);
        e.major_status = 0x000D0000u;
        e.minor_status = 0xE30003F3u;
        if (c.with_text) {
            e.status_text.length = 3;
            e.status_text.value = const_cast<char*>(status_text);
        }
        Append("step", &e);
        std::string text = Render();
        EXPECT_NE(std::string::npos, text.find(std::string("   MechState:        Rejected\n") + c.lines))
            << c.reason << " " << c.with_text << "\n" << text;
        EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor_, &ctx_));
        ASSERT_EQ(0u, QXNEGO_INT_InitNegLog(&minor_, &ctx_));
    }
}

// The OID text: two hex digits per byte joined by ".", at most 127
// characters (42 bytes); a record whose OID has no length prints that it
// cannot be printed.
TEST_F(NegLogTest, OidText) {
    unsigned char long_oid[50];
    for (size_t i = 0; i < sizeof long_oid; ++i) {
        long_oid[i] = (unsigned char)(0xA0 + i);
    }
    NegMechEntry e = Entry(-1, QXNEGO_MECH_STATE_AVAILABLE, QXNEGO_MECH_REASON_AVAILABLE);
    e.own_oid.length = sizeof long_oid;
    e.own_oid.elements = long_oid;
    e.oid = &e.own_oid;
    Append("long", &e);
    std::string expected = "   Mechanism OID:    a0";
    for (int i = 1; i < 42; ++i) {
        char part[4];
        snprintf(part, sizeof part, ".%02x", 0xA0 + i);
        expected += part;
    }
    EXPECT_EQ(2u + 41u * 3u, expected.size() - strlen("   Mechanism OID:    "));
    std::string text = Render();
    EXPECT_NE(std::string::npos, text.find(expected + "\n")) << text;

    // Only a record made by hand can have bytes and no length.
    ctx_.log.records[0].mech_oid.length = 0;
    text = Render();
    EXPECT_NE(std::string::npos, text.find("   Mechanism OID:    <Unable to print OID>\n   MechState:")) << text;
    ctx_.log.records[0].mech_oid.length = sizeof long_oid;
}

// A block holds at most 4096 bytes and ends at the last line that fits.
TEST_F(NegLogTest, BlockEndsAtTheLastLineThatFits) {
    const std::string record_line = "Record 0: QXNEGO_init_sec_context call 1\n";
    const std::string text_prefix = "   Text:             ";
    // A text line that fills the block exactly: nothing else follows.
    std::string exact(4096 - record_line.size() - text_prefix.size() - 1, 'x');
    Append(exact.c_str(), nullptr);
    EXPECT_EQ(kHeader + record_line + text_prefix + exact + "\n", Render());

    // One byte more and the text line does not fit: the block is its first line.
    EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor_, &ctx_));
    ASSERT_EQ(0u, QXNEGO_INT_InitNegLog(&minor_, &ctx_));
    std::string over = exact + "y";
    Append(over.c_str(), nullptr);
    Append("next", nullptr);
    std::string text = Render();
    EXPECT_EQ(kHeader + record_line + "Record 1: QXNEGO_init_sec_context call 1\n", text.substr(0, kHeader.size() +
                                                                                       record_line.size() + 41));
    EXPECT_NE(std::string::npos, text.find("   Text:             next\n"));

    // A status text longer than a block ends its block before it.
    EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor_, &ctx_));
    ASSERT_EQ(0u, QXNEGO_INT_InitNegLog(&minor_, &ctx_));
    std::string huge(10000, 'z');
    NegMechEntry e = Entry(0, QXNEGO_MECH_STATE_REJECTED, QXNEGO_MECH_REASON_GSSAPI_ERROR);
    e.status_text.length = huge.size();
    e.status_text.value = &huge[0];
    Append("step", &e);
    text = Render();
    EXPECT_EQ(std::string::npos, text.find("MinorStatusText"));
    EXPECT_EQ("   GSS MinorStatus:  00000000\n", text.substr(text.size() - 30));
}

// ---- Growth ----------------------------------------------------------------

TEST_F(NegLogTest, GrowsBy16From64) {
    struct Step {
        uint32_t records;
        uint32_t capacity;
    } steps[] = {{64, 64}, {65, 80}, {80, 80}, {81, 96}, {96, 96}, {97, 112}};
    uint32_t appended = 0;
    for (const Step& s : steps) {
        while (appended < s.records) {
            char text[32];
            snprintf(text, sizeof text, "step %u", appended);
            NegMechEntry e = Entry(0, QXNEGO_MECH_STATE_AVAILABLE, QXNEGO_MECH_REASON_AVAILABLE);
            g_tick = 1000 + appended;
            Append(text, &e);
            ++appended;
        }
        EXPECT_EQ(s.records, ctx_.log.count);
        EXPECT_EQ(s.capacity, ctx_.log.capacity);
    }
    // Every record survived the moves, in order.
    for (uint32_t i = 0; i < ctx_.log.count; ++i) {
        char text[32];
        snprintf(text, sizeof text, "step %u", i);
        ASSERT_STREQ(text, ctx_.log.records[i].text);
        ASSERT_EQ(i, ctx_.log.records[i].elapsed_ms);
    }
    // The rendered length is the header plus every block and nothing else.
    std::string text = Render();
    size_t expected_length = kHeader.size();
    for (uint32_t i = 0; i < ctx_.log.count; ++i) {
        char block[1024];
        int n = snprintf(block, sizeof block,
                         "Record %u: QXNEGO_init_sec_context call 1\n   Text:             step %u\n"
                         "   Mechanism:        QXKRB\n   MechState:        Available\n"
                         "   MechReason:       Available\n   IsCtxEstablished: FALSE\n"
                         "   IsPolicyApplied:  FALSE\n   NegState:         Incomplete\n"
                         "   NegStateFromPeer: Incomplete\n   Elapsed Time:     %u ms\n\n",
                         i, i, i);
        ASSERT_EQ(std::string(block, n), text.substr(expected_length, n)) << i;
        expected_length += n;
    }
    EXPECT_EQ(expected_length, text.size());
}

// Growing the array can fail: the append fails, nothing is written beyond
// the array, and the log stays whole (it renders, takes the next append and
// releases).
TEST_F(NegLogTest, FailedGrowthLeavesTheLogWhole) {
    for (int i = 0; i < 64; ++i) {
        Append("step", nullptr);
    }
    Snapshot before = Take();
    test_memory::fail_allocation(1);
    gssp_status minor = 0;
    NegMechEntry e = Entry(0, QXNEGO_MECH_STATE_AVAILABLE, QXNEGO_MECH_REASON_AVAILABLE);
    EXPECT_EQ(kMajorFailure, QXNEGO_INT_NegLogEntry(&minor, "one too many", &e, &ctx_));
    EXPECT_EQ(0xE30003F8u, minor);
    ExpectUnchanged(before);

    Append("after", &e);
    EXPECT_EQ(65u, ctx_.log.count);
    EXPECT_EQ(80u, ctx_.log.capacity);
    EXPECT_STREQ("after", ctx_.log.records[64].text);
}

// ---- Append failures ---------------------------------------------------------

TEST_F(NegLogTest, FailedAppendsChangeNothing) {
    static unsigned char byte = 0x2a;
    static gssp_OID_desc no_length = {0, &byte};
    static gssp_OID_desc no_bytes = {1, nullptr};
    // A status text no copy can hold: the framework's duplicate refuses it.
    static char some = 'x';
    struct Case {
        const char* name;
        const char* text;
        bool with_entry;
        gssp_OID oid;
        uint64_t status_length;
        int fail_allocation;
        uint32_t minor;
        uint32_t major;
    } cases[] = {
        {"oid missing", "t", true, nullptr, 0, 0, 0xE30003F4u, kMajorFailure},
        {"oid without length", "t", true, &no_length, 0, 0, 0xE30003F4u, kMajorFailure},
        {"oid without bytes", nullptr, true, &no_bytes, 0, 0, 0xE30003F4u, kMajorFailure},
        {"text copy fails", "t", false, nullptr, 0, 1, 0xE30003F8u, kMajorFailure},
        {"warning copy fails", nullptr, false, nullptr, 0, 1, 0xE30003F8u, kMajorFailure},
        {"text copy fails with entry", "t", true, &kKrbOid, 0, 1, 0xE30003F8u, kMajorFailure},
        {"status text copy fails", "t", true, &kKrbOid, UINT64_MAX, 0, 0, 0},
    };
    Append("first", nullptr);
    for (const Case& c : cases) {
        Snapshot before = Take();
        NegMechEntry e = Entry(0, QXNEGO_MECH_STATE_REJECTED, QXNEGO_MECH_REASON_GSSAPI_ERROR);
        e.oid = c.oid;
        e.status_text.length = c.status_length;
        e.status_text.value = c.status_length ? &some : nullptr;
        uint32_t expected_minor = c.minor;
        uint32_t expected_major = c.major;
        if (c.status_length != 0) {
            // The framework's own status passes through.
            gssp_buffer_desc copy = {0, nullptr};
            expected_major = gssp_duplicate_buffer(&expected_minor, &e.status_text, &copy);
            ASSERT_NE(0u, expected_major);
        }
        test_memory::fail_allocation(c.fail_allocation);
        gssp_status minor = 0;
        EXPECT_EQ(expected_major, QXNEGO_INT_NegLogEntry(&minor, c.text, c.with_entry ? &e : nullptr, &ctx_))
            << c.name;
        EXPECT_EQ(expected_minor, minor) << c.name;
        test_memory::fail_allocation(0);
        ExpectUnchanged(before);
        EXPECT_EQ(2, test_memory::live_blocks()) << c.name;  // the array and the first record's text
    }
}

TEST_F(NegLogTest, NoContext) {
    gssp_status minor = 0;
    EXPECT_EQ(kMajorWriteFailure, QXNEGO_INT_NegLogEntry(&minor, "t", nullptr, nullptr));
    EXPECT_EQ(0xE3000400u, minor);
    gssp_buffer_desc out = {3, &minor};
    EXPECT_EQ(kMajorReadFailure, QXNEGO_INT_RenderNegLog(&minor, nullptr, &out));
    EXPECT_EQ(0xE3000400u, minor);
    EXPECT_EQ(0u, out.length);
    EXPECT_EQ(nullptr, out.value);
    EXPECT_EQ(kMajorReadFailure, QXNEGO_INT_ReleaseNegLog(&minor, nullptr));
    EXPECT_EQ(0xE3000400u, minor);
    EXPECT_EQ(kMajorWriteFailure, QXNEGO_INT_RenderNegLog(&minor, &ctx_, nullptr));
    EXPECT_EQ(0xE30003FAu, minor);
    // A null minor pointer is allowed everywhere.
    EXPECT_EQ(0u, QXNEGO_INT_NegLogEntry(nullptr, "t", nullptr, &ctx_));
    EXPECT_EQ(kMajorWriteFailure, QXNEGO_INT_NegLogEntry(nullptr, "t", nullptr, nullptr));
}

// ---- Render failures ---------------------------------------------------------

TEST_F(NegLogTest, RenderWithoutMemory) {
    Append("step", nullptr);
    const std::string expected = Render();

    gssp_status minor = 0;
    gssp_buffer_desc out = {0, nullptr};
    test_memory::fail_allocation(1);
    EXPECT_EQ(kMajorFailure, QXNEGO_INT_RenderNegLog(&minor, &ctx_, &out));
    EXPECT_EQ(0xE30003F8u, minor);
    EXPECT_EQ(0u, out.length);
    EXPECT_EQ(nullptr, out.value);

    // The exact-size copy fails: the larger buffer serves, with the same text.
    test_memory::fail_allocation(2);
    EXPECT_EQ(0u, QXNEGO_INT_RenderNegLog(&minor, &ctx_, &out));
    EXPECT_EQ(0x230003E8u, minor);
    EXPECT_EQ(expected, std::string(static_cast<const char*>(out.value), static_cast<size_t>(out.length)));
    qxnego_free(out.value);
}

// ---- Release -------------------------------------------------------------------

TEST_F(NegLogTest, ReleaseFreesEveryRecordAndLeavesNoLog) {
    const char status_text[] = "status";
    NegMechEntry e = Entry(0, QXNEGO_MECH_STATE_REJECTED, QXNEGO_MECH_REASON_GSSAPI_ERROR);
    e.status_text.length = 6;
    e.status_text.value = const_cast<char*>(status_text);
    for (int i = 0; i < 70; ++i) {
        Append(i % 2 ? "step" : nullptr, &e);
    }
    ASSERT_NE(status_text, ctx_.log.records[0].minor_status_text.value);  // a copy of its own
    gssp_status minor = 0;
    EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor, &ctx_));
    EXPECT_EQ(0x230003E8u, minor);
    EXPECT_EQ(0u, ctx_.log.count);
    EXPECT_EQ(nullptr, ctx_.log.records);
    EXPECT_EQ(0, test_memory::live_blocks());
    // Released twice is harmless; appending afterwards finds no log.
    EXPECT_EQ(0u, QXNEGO_INT_ReleaseNegLog(&minor, &ctx_));
    EXPECT_EQ(kMajorWriteFailure, QXNEGO_INT_NegLogEntry(&minor, "late", nullptr, &ctx_));
    EXPECT_EQ(0xE300040Au, minor);
}

}  // namespace
