// The user-properties buffer: the records added to the selected mechanism's
// (flags with the policy flag, the negotiation log), the cache of a
// Completed context and the fresh buffer before completion, malformed
// mechanism records, and every allocation failing in turn.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_context.h"
#include "neg_log.h"
#include "neg_mech.h"
#include "plugin_memory.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "qxnego_platform.h"
#include "plain_mechanism.h"
#include "test_memory.h"
#include "user_properties.h"

namespace {

const uint32_t kOk = 0x230003E8u;
const uint32_t kFailure = 0x000D0000u;

uint32_t FixedTick() {
    return 1000;
}
int FixedHost(char* name, size_t size) {
    snprintf(name, size, "%s", "testhost");
    return 0;
}
int FixedTime(char* text, size_t size) {
    snprintf(text, size, "%s", "Thu Dec 10 14:00:00 2026\n");
    return 0;
}

// A record as a reader sees it: header fields and the bytes after the header.
std::string Record(uint16_t type, const std::string& data, uint16_t length) {
    std::string r(length, '\0');
    const uint16_t fields[3] = {type, length, (uint16_t)data.size()};
    for (int k = 0; k < 3; ++k) {
        r[2 * k] = (char)(fields[k] & 0xFF);
        r[2 * k + 1] = (char)(fields[k] >> 8);
    }
    r.replace(6, data.size(), data);
    return r;
}
// A flags record as the mechanism's helpers write it.
std::string Flags(uint16_t data_length, char byte0, char byte1) {
    std::string r = Record(QXAT_PROP_FLAGS, std::string(data_length, '\0'), 16);
    r[6] = byte0;
    if (data_length > 1) r[7] = byte1;
    return r;
}

std::string Bytes(const gssp_buffer_desc& b) {
    return b.value ? std::string(static_cast<const char*>(b.value), static_cast<size_t>(b.length)) : "";
}

// The records of a buffer; the walk must end exactly at its end.
std::vector<PropertyRecordView> Walk(const gssp_buffer_desc& b) {
    std::vector<PropertyRecordView> records;
    uint64_t offset = 0;
    PropertyRecordView r;
    while (qxat_next_property_record(static_cast<const unsigned char*>(b.value), b.length, &offset, &r))
        records.push_back(r);
    EXPECT_EQ(b.length, offset);
    return records;
}

std::vector<uint16_t> Types(const std::vector<PropertyRecordView>& records) {
    std::vector<uint16_t> types;
    for (const PropertyRecordView& r : records) types.push_back(r.header.type);
    return types;
}

std::string Data(const PropertyRecordView& r) {
    return std::string(reinterpret_cast<const char*>(r.data), r.data_size);
}

// A buffer holding exactly these bytes on the heap, so that reading past
// its end is caught.
struct HeapBuffer {
    explicit HeapBuffer(const std::string& bytes) : storage(new unsigned char[bytes.size() ? bytes.size() : 1]) {
        memcpy(storage.get(), bytes.data(), bytes.size());
        desc = {bytes.size(), bytes.empty() ? nullptr : storage.get()};
    }
    std::unique_ptr<unsigned char[]> storage;
    gssp_buffer_desc desc;
};

// ---- QXNEGO_INT_AddNegProperties on its own ----------------------------------

class AddNegPropertiesTest : public testing::Test {
protected:
    void SetUp() override { test_memory::reset(); }
    void TearDown() override { EXPECT_EQ(0, test_memory::live_blocks()); }
    // The combined buffer comes from the plug-in's allocator.
    void Release() {
        qxnego_free(out_.value);
        out_ = {0, nullptr};
    }
    gssp_status minor_ = 0;
    gssp_buffer_desc out_ = {0, nullptr};
};

TEST_F(AddNegPropertiesTest, LogRecordIsTheTextPlusSevenRoundedUpToFour) {
    const struct {
        size_t text;
        uint16_t record;
    } cases[] = {{100, 108}, {101, 108}, {102, 112}, {103, 112}, {1, 8}};
    for (const auto& c : cases) {
        std::string text(c.text, 'x');
        text.back() = 'y';
        HeapBuffer log(text);
        ASSERT_EQ(0u, QXNEGO_INT_AddNegProperties(&minor_, nullptr, 1, &log.desc, &out_)) << c.text;
        EXPECT_EQ(kOk, minor_);
        ASSERT_EQ(16u + c.record, out_.length) << c.text;
        const auto records = Walk(out_);
        ASSERT_EQ((std::vector<uint16_t>{QXAT_PROP_FLAGS, QXAT_PROP_NEG_LOG}), Types(records));
        EXPECT_EQ(16u, records[0].header.length);
        EXPECT_EQ(2u, records[0].header.data_length);
        EXPECT_EQ(std::string("\0\0\1\0\0\0\0\0\0\0", 10), Bytes(out_).substr(6, 10));
        EXPECT_EQ(c.record, records[1].header.length);
        EXPECT_EQ(c.text, records[1].header.data_length);
        EXPECT_EQ(text, Data(records[1]));
        EXPECT_EQ(std::string(c.record - 6 - c.text, '\0'), Bytes(out_).substr(16 + 6 + c.text));
        Release();
    }
}

TEST_F(AddNegPropertiesTest, ExistingFlagsRecordsTakeThePolicyFlagAndNoSecondIsAdded) {
    // A user record, the flags record the mechanism's helpers wrote (bytes
    // 0 and 1 set), the mechanism's name, and a second flags record.
    const std::string mech = Record(QXAT_PROP_USER, "alice", 12) + Flags(1, 1, 0) +
                             Record(QXAT_PROP_MECH_NAME, "MECHA", 12) + Flags(2, 0, 1);
    HeapBuffer properties(mech);
    HeapBuffer log("the log");
    ASSERT_EQ(0u, QXNEGO_INT_AddNegProperties(&minor_, &properties.desc, 1, &log.desc, &out_));
    ASSERT_EQ(mech.size() + 16u, out_.length);
    const auto records = Walk(out_);
    ASSERT_EQ((std::vector<uint16_t>{QXAT_PROP_USER, QXAT_PROP_FLAGS, QXAT_PROP_MECH_NAME, QXAT_PROP_FLAGS,
                                     QXAT_PROP_NEG_LOG}),
              Types(records));
    const std::string bytes = Bytes(out_);
    EXPECT_EQ(Record(QXAT_PROP_USER, "alice", 12), bytes.substr(0, 12));
    for (size_t at : {(size_t)12, (size_t)40}) {
        EXPECT_EQ(2, bytes[at + 4]) << at;
        EXPECT_EQ(1, bytes[at + 8]) << at;
    }
    EXPECT_EQ(1, bytes[12 + 6]);  // the first flags record keeps its bytes 0 and 1
    EXPECT_EQ(0, bytes[12 + 7]);
    EXPECT_EQ(0, bytes[40 + 6]);
    EXPECT_EQ(1, bytes[40 + 7]);
    EXPECT_EQ(Record(QXAT_PROP_NEG_LOG, "the log", 16), bytes.substr(mech.size()));
    // The mechanism's own buffer is not changed.
    EXPECT_EQ(mech, Bytes(properties.desc));
    Release();

    // Policy flag 0 with mechanism records only: the records and a log record of 8 bytes.
    HeapBuffer plain(Record(QXAT_PROP_USER, "bob", 12));
    ASSERT_EQ(0u, QXNEGO_INT_AddNegProperties(&minor_, &plain.desc, 0, nullptr, &out_));
    EXPECT_EQ(Record(QXAT_PROP_USER, "bob", 12) + Record(QXAT_PROP_FLAGS, std::string(2, '\0'), 16) +
                  Record(QXAT_PROP_NEG_LOG, "", 8),
              Bytes(out_));
    Release();
}

TEST_F(AddNegPropertiesTest, NothingToAddLeavesTheOutputAndBadArgumentsAreRefused) {
    char sentinel = 's';
    gssp_buffer_desc empty = {0, nullptr};
    out_ = {1, &sentinel};
    EXPECT_EQ(0u, QXNEGO_INT_AddNegProperties(&minor_, nullptr, 0, nullptr, &out_));
    EXPECT_EQ(0u, QXNEGO_INT_AddNegProperties(&minor_, &empty, 0, &empty, &out_));
    EXPECT_EQ(kOk, minor_);
    EXPECT_EQ(1u, out_.length);
    EXPECT_EQ(&sentinel, out_.value);
    out_ = {0, nullptr};

    gssp_buffer_desc no_bytes = {3, nullptr};
    HeapBuffer log("log");
    EXPECT_EQ(kFailure, QXNEGO_INT_AddNegProperties(&minor_, nullptr, 1, &log.desc, nullptr));
    EXPECT_EQ(0xE30003F6u, minor_);
    EXPECT_EQ(kFailure, QXNEGO_INT_AddNegProperties(&minor_, &no_bytes, 1, &log.desc, &out_));
    EXPECT_EQ(0xE30003F6u, minor_);
    EXPECT_EQ(kFailure, QXNEGO_INT_AddNegProperties(&minor_, nullptr, 1, &no_bytes, &out_));
    EXPECT_EQ(0xE30003F6u, minor_);
    EXPECT_EQ(nullptr, out_.value);

    test_memory::fail_allocation(1);
    out_ = {5, nullptr};
    EXPECT_EQ(kFailure, QXNEGO_INT_AddNegProperties(&minor_, nullptr, 1, &log.desc, &out_));
    EXPECT_EQ(0xE30003F9u, minor_);
    EXPECT_EQ(0u, out_.length);
    EXPECT_EQ(nullptr, out_.value);
}

TEST_F(AddNegPropertiesTest, MalformedMechanismRecordsAreNeitherOverrunNorWrittenPast) {
    const std::string good = Record(QXAT_PROP_USER, "alice", 12);
    std::string short_flags = Record(QXAT_PROP_FLAGS, "", 8);  // no room for offset 8
    std::string zero_length = Flags(2, 1, 1);
    zero_length[2] = zero_length[3] = 0;
    std::string overrun = Flags(2, 1, 1);
    overrun[2] = 40;  // claims more bytes than the buffer holds
    const std::string truncated_header = std::string("\x08\x00\x10", 3);
    const std::string cases[] = {good + short_flags, good + zero_length, good + overrun, good + truncated_header,
                                 std::string("\x08\x00", 2)};
    for (const std::string& mech : cases) {
        HeapBuffer properties(mech);
        HeapBuffer log("L");
        ASSERT_EQ(0u, QXNEGO_INT_AddNegProperties(&minor_, &properties.desc, 1, &log.desc, &out_));
        // The bytes are kept as they were; the policy flag travels in a flags record of its own.
        ASSERT_EQ(mech.size() + 16u + 8u, out_.length);
        const std::string bytes = Bytes(out_);
        EXPECT_EQ(mech, bytes.substr(0, mech.size()));
        std::string flags = Record(QXAT_PROP_FLAGS, std::string(2, '\0'), 16);
        flags[8] = 1;
        EXPECT_EQ(flags, bytes.substr(mech.size(), 16));
        EXPECT_EQ(Record(QXAT_PROP_NEG_LOG, "L", 8), bytes.substr(mech.size() + 16));
        Release();
    }
}

TEST_F(AddNegPropertiesTest, LogLongerThanARecordIsCutAtItsLastWholeLine) {
    std::string lines;
    for (int k = 0; lines.size() <= 70000; ++k) lines += "record " + std::to_string(k) + " of the log\n";
    const std::string unbroken(70000, 'z');
    for (const std::string& text : {lines, unbroken}) {
        HeapBuffer log(text);
        ASSERT_EQ(0u, QXNEGO_INT_AddNegProperties(&minor_, nullptr, 0, &log.desc, &out_));
        const auto records = Walk(out_);
        ASSERT_EQ(2u, records.size());
        const PropertyRecordView& r = records[1];
        EXPECT_LE(r.header.length, 65532u);
        EXPECT_LE(r.header.data_length, 65525u);
        EXPECT_EQ(r.header.length, (r.header.data_length + 7u + 3u) / 4u * 4u);
        EXPECT_EQ(text.substr(0, r.header.data_length), Data(r));
        if (text[0] == 'r') {
            EXPECT_EQ('\n', Data(r).back());
            EXPECT_GT(r.header.data_length, 65500u);
        } else {
            EXPECT_EQ(65525u, r.header.data_length);
        }
        Release();
    }
}

// ---- The entry point over a configured mechanism -------------------------------

int g_inquiries = 0;
std::string g_mech_properties;
gssp_status g_major = 0, g_minor = 0;
bool g_leave_bytes_on_failure = false;
int g_mech_context = 0;

gssp_status MechProperties(gssp_status* minor, gssp_ctx_id_t ctx, gssp_buffer_t properties) {
    ++g_inquiries;
    EXPECT_EQ(&g_mech_context, ctx);
    EXPECT_EQ(0u, properties->length);
    EXPECT_EQ(nullptr, properties->value);
    if (!GSSP_ERROR(g_major) || g_leave_bytes_on_failure) {
        gssp_buffer_desc in = {g_mech_properties.size(), const_cast<char*>(g_mech_properties.data())};
        gssp_status m = 0;
        EXPECT_EQ(0u, gssp_duplicate_buffer(&m, &in, properties));
    }
    *minor = g_minor;
    return g_major;
}

class UserPropertiesTest : public testing::Test {
protected:
    void SetUp() override {
        test_memory::reset();
        qxgss::ResetFramework();
        qxnego_platform.tick_count = FixedTick;
        qxnego_platform.host_name = FixedHost;
        qxnego_platform.time_text = FixedTime;
        g_inquiries = 0;
        g_major = g_minor = 0;
        g_leave_bytes_on_failure = false;
        g_mech_properties =
            Record(QXAT_PROP_USER, "alice", 12) + Flags(2, 0, 1) + Record(QXAT_PROP_MECH_NAME, "MECHA", 12);
        gssp_mech_info with;
        memset(&with, 0, sizeof with);
        with.inquire_properties_for_user = MechProperties;
        gssp_mech_info without;
        memset(&without, 0, sizeof without);
        Add("MECHA", "1.3.6.1.4.1.99.1", with, {});
        Add("MECHB", "1.3.6.1.4.1.99.2", without, {});
        Add("QXNEGO", "1.3.6.1.4.1.99.100", without, {{true, "1.3.6.1.4.1.99.1"}, {true, "1.3.6.1.4.1.99.2"}});
        ASSERT_EQ(0u, QXNEGO_configure(&minor_, nullptr, nullptr, nullptr));
        ASSERT_EQ(0u, QXNEGO_INT_CreateNegContext(&minor_, 0, &handle_));
        ctx_ = static_cast<NegContext*>(handle_);
        ASSERT_EQ(2u, ctx_->mech_list.count);
    }

    void TearDown() override {
        ReleaseProperties();
        EXPECT_EQ(0u, QXNEGO_delete_sec_context(&minor_, &handle_, nullptr));
        QXNEGO_INT_ReleaseProcessState(&minor_);
        EXPECT_EQ(0, test_memory::live_blocks());
        qxnego_platform = qxnego_platform_default;
        qxgss::ResetFramework();
    }

    static void Add(const char* name, const char* oid, const gssp_mech_info& ep,
                    std::vector<std::pair<bool, std::string>> negotiable) {
        AddPlainMechanism(name, oid, ep, std::move(negotiable));
    }

    void Complete(const char* name) {
        for (uint32_t k = 0; k < ctx_->mech_list.count; ++k) {
            if (std::string(pMechInfo[ctx_->mech_list.entries[k].mech_index].name) != name) continue;
            ctx_->NegState = QXNEGO_NEG_STATE_COMPLETED;
            ctx_->selected_entry_index = (int32_t)k;
            ctx_->selected_mech_index = ctx_->mech_list.entries[k].mech_index;
            ctx_->mech_list.entries[k].context = &g_mech_context;
            ctx_->IsPolicyApplied = 1;
            return;
        }
        FAIL() << name;
    }

    std::string RenderedLog() const {
        gssp_buffer_desc text = {0, nullptr};
        gssp_status m = 0;
        EXPECT_EQ(0u, QXNEGO_INT_RenderNegLog(&m, ctx_, &text));
        const std::string s = Bytes(text);
        qxnego_free(text.value);
        return s;
    }

    gssp_status Inquire() {
        ReleaseProperties();
        return QXNEGO_inquire_properties_for_user(&minor_, handle_, &properties_);
    }

    void ReleaseProperties() {
        gssp_status m = 0;
        if (properties_.value) gssp_release_secure_buffer(&m, &properties_);
        properties_ = {0, nullptr};
    }

    void AddLogRecord() {
        gssp_status m = 0;
        ASSERT_EQ(0u, QXNEGO_INT_NegLogEntry(&m, "a later step", nullptr, ctx_));
    }

    gssp_status minor_ = 0;
    gssp_ctx_id_t handle_ = nullptr;
    NegContext* ctx_ = nullptr;
    gssp_buffer_desc properties_ = {0, nullptr};
};

TEST_F(UserPropertiesTest, BeforeCompletionAFreshFlagsAndLogBufferEveryTime) {
    for (uint32_t policy : {0u, 1u}) {
        ctx_->IsPolicyApplied = policy;
        const std::string log = RenderedLog();
        ASSERT_EQ(0u, Inquire());
        EXPECT_EQ(kOk, minor_);
        EXPECT_EQ(Record(QXAT_PROP_FLAGS, std::string("\0\0", 2), 16).replace(8, 1, 1, (char)policy) +
                      Record(QXAT_PROP_NEG_LOG, log, (uint16_t)((log.size() + 10) / 4 * 4)),
                  Bytes(properties_));
        EXPECT_EQ(nullptr, ctx_->user_properties.value);
        EXPECT_EQ(0u, ctx_->user_properties.length);
        // The next request carries the log of that moment.
        AddLogRecord();
        ASSERT_EQ(0u, Inquire());
        const auto records = Walk(properties_);
        ASSERT_EQ(2u, records.size());
        EXPECT_EQ(RenderedLog(), Data(records[1]));
        EXPECT_NE(log, Data(records[1]));
    }
    EXPECT_EQ(0, g_inquiries);
}

TEST_F(UserPropertiesTest, AfterCompletionTheMechanismsRecordsAreExtendedAndCached) {
    Complete("MECHA");
    const std::string log = RenderedLog();
    ASSERT_EQ(0u, Inquire());
    EXPECT_EQ(kOk, minor_);
    std::string flags = Flags(2, 0, 1);
    flags[8] = 1;
    EXPECT_EQ(Record(QXAT_PROP_USER, "alice", 12) + flags + Record(QXAT_PROP_MECH_NAME, "MECHA", 12) +
                  Record(QXAT_PROP_NEG_LOG, log, (uint16_t)((log.size() + 10) / 4 * 4)),
              Bytes(properties_));
    const std::string first = Bytes(properties_);
    EXPECT_EQ(first, Bytes(ctx_->user_properties));
    EXPECT_NE(properties_.value, ctx_->user_properties.value);  // the caller's own copy

    // Later steps change neither the answer nor the mechanism's part.
    AddLogRecord();
    ASSERT_EQ(0u, Inquire());
    EXPECT_EQ(first, Bytes(properties_));
    EXPECT_EQ(1, g_inquiries);
}

TEST_F(UserPropertiesTest, SelectedMechanismWithoutPropertiesGivesFlagsAndLog) {
    Complete("MECHB");
    ASSERT_EQ(0u, Inquire());
    const auto records = Walk(properties_);
    ASSERT_EQ((std::vector<uint16_t>{QXAT_PROP_FLAGS, QXAT_PROP_NEG_LOG}), Types(records));
    EXPECT_EQ(1, Bytes(properties_)[8]);
    EXPECT_EQ(RenderedLog(), Data(records[1]));
    EXPECT_EQ(Bytes(properties_), Bytes(ctx_->user_properties));
    EXPECT_EQ(0, g_inquiries);
}

TEST_F(UserPropertiesTest, MechanismFailureIsPassedThroughAndNothingIsCached) {
    Complete("MECHA");
    g_major = 0x000D0000u;
    g_minor = 0xE4000042u;
    for (bool leaves_bytes : {false, true}) {
        g_leave_bytes_on_failure = leaves_bytes;
        EXPECT_EQ(0x000D0000u, Inquire());
        EXPECT_EQ(0xE4000042u, minor_);
        EXPECT_EQ(nullptr, properties_.value);
        EXPECT_EQ(0u, properties_.length);
        EXPECT_EQ(nullptr, ctx_->user_properties.value);
    }
    // The next request asks the mechanism again.
    g_major = 0;
    EXPECT_EQ(0u, Inquire());
    EXPECT_EQ(3, g_inquiries);
}

TEST_F(UserPropertiesTest, SelectionOutsideTheTableOrTheList) {
    Complete("MECHA");
    const int32_t mech = ctx_->selected_mech_index, entry = ctx_->selected_entry_index;
    const std::pair<int32_t, int32_t> cases[] = {
        {-1, entry}, {(int32_t)MechCount, entry}, {mech, -1}, {mech, (int32_t)ctx_->mech_list.count}};
    for (const auto& c : cases) {
        ctx_->selected_mech_index = c.first;
        ctx_->selected_entry_index = c.second;
        EXPECT_EQ(kFailure, Inquire()) << c.first << "/" << c.second;
        EXPECT_EQ(0xE3000400u, minor_);
        EXPECT_EQ(nullptr, properties_.value);
        EXPECT_EQ(nullptr, ctx_->user_properties.value);
    }
    EXPECT_EQ(0, g_inquiries);
}

TEST_F(UserPropertiesTest, MissingArguments) {
    char sentinel = 's';
    properties_ = {1, &sentinel};
    EXPECT_EQ(0x01080000u, QXNEGO_inquire_properties_for_user(&minor_, nullptr, &properties_));
    EXPECT_EQ(0xE30003F7u, minor_);
    EXPECT_EQ(0x020D0000u, QXNEGO_inquire_properties_for_user(&minor_, handle_, nullptr));
    EXPECT_EQ(0xE30003F7u, minor_);
    EXPECT_EQ(0x01080000u, QXNEGO_INT_BuildUserProperties(&minor_, nullptr, &properties_));
    EXPECT_EQ(0xE30003F6u, minor_);
    EXPECT_EQ(0x020D0000u, QXNEGO_INT_BuildUserProperties(&minor_, ctx_, nullptr));
    EXPECT_EQ(0xE30003F7u, minor_);
    properties_ = {0, nullptr};
}

TEST_F(UserPropertiesTest, EveryAllocationFailingInTurnFailsCleanly) {
    for (bool completed : {false, true}) {
        if (completed) Complete("MECHA");
        int failures = 0;
        for (int n = 1;; ++n) {
            ReleaseProperties();
            const int live = test_memory::live_blocks();
            const int before = test_memory::allocations();
            test_memory::fail_allocation(n);
            const gssp_status major = QXNEGO_inquire_properties_for_user(&minor_, handle_, &properties_);
            const bool injected = test_memory::allocations() - before >= n;
            test_memory::fail_allocation(0);
            EXPECT_EQ(live, test_memory::live_blocks()) << n;
            if (!injected) {
                ASSERT_EQ(0u, major) << n;
                break;
            }
            if (GSSP_ERROR(major)) {
                ++failures;
                EXPECT_TRUE(minor_ == 0xE30003F8u || minor_ == 0xE30003F9u) << std::hex << minor_;
                EXPECT_EQ(nullptr, properties_.value) << n;
                EXPECT_EQ(nullptr, ctx_->user_properties.value) << n;
            } else {
                // Only a failed shrink of the rendered log may be absorbed.
                EXPECT_FALSE(Walk(properties_).empty());
                if (completed) {
                    gssp_status m = 0;
                    gssp_release_secure_buffer(&m, &ctx_->user_properties);
                }
            }
        }
        EXPECT_GE(failures, 2) << completed;
    }
}

}  // namespace
