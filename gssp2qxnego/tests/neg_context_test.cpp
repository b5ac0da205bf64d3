// The negotiating mechanism's context: creation with its log and its copy
// of the list, deletion, and inquire_context before and after completion.
#include <cstring>
#include <string>

#include "configured_framework.h"
#include "mechanism_status.h"
#include "neg_context.h"
#include "neg_log.h"

namespace {

const uint32_t kOk = 0x230003E8u;

class NegContextTest : public ConfiguredFramework {
protected:
    void SetUp() override { Start(QX_NEGO_PAIR_FIXTURE); }

    static NegContext* Make(uint32_t initiator) {
        gssp_status minor = 0;
        gssp_ctx_id_t handle = nullptr;
        EXPECT_EQ(0u, QXNEGO_INT_CreateNegContext(&minor, initiator, &handle));
        EXPECT_EQ(kOk, minor);
        return (NegContext*)handle;
    }

    static void Delete(NegContext* context) {
        gssp_ctx_id_t handle = context;
        gssp_status minor = 0;
        EXPECT_EQ(0u, QXNEGO_delete_sec_context(&minor, &handle, nullptr));
        EXPECT_EQ(nullptr, handle);
    }
};

TEST_F(NegContextTest, ANewContextHasItsStatesLogAndList) {
    for (uint32_t initiator : {1u, 0u}) {
        NegContext* c = Make(initiator);
        ASSERT_NE(nullptr, c);
        EXPECT_EQ(initiator, c->IsInitiator);
        EXPECT_EQ(0u, c->call_counter);
        EXPECT_EQ((uint32_t)QXNEGO_NEG_STATE_INCOMPLETE, c->NegState);
        EXPECT_EQ((uint32_t)QXNEGO_NEG_STATE_INCOMPLETE, c->NegStateFromPeer);
        EXPECT_EQ(-1, c->selected_mech_index);
        EXPECT_EQ(-1, c->selected_entry_index);
        EXPECT_EQ(0u, c->user_properties.length);
        EXPECT_EQ((std::vector<std::string>{"M1", "M2"}), Names(c->mech_list));
        EXPECT_NE(qxnego_process_state.mech_list.entries, c->mech_list.entries);
        // One record for each mechanism copied.
        ASSERT_EQ(2u, c->log.count);
        for (uint32_t k = 0; k < 2; ++k) {
            EXPECT_STREQ(QXNEGO_LOG_MECH_AVAILABLE, c->log.records[k].text);
            EXPECT_TRUE(SameOid(&c->log.records[k].mech_oid, c->mech_list.entries[k].oid));
            EXPECT_EQ(initiator, c->log.records[k].is_initiator);
        }
        Delete(c);
    }
}

TEST_F(NegContextTest, CreationLeavesAnExistingContextAlone) {
    NegContext* c = Make(1);
    gssp_ctx_id_t handle = c;
    gssp_status minor = 0;
    EXPECT_EQ(0u, QXNEGO_INT_CreateNegContext(&minor, 0, &handle));
    EXPECT_EQ(c, handle);
    EXPECT_EQ(1u, c->IsInitiator);
    EXPECT_EQ(0x02080000u, QXNEGO_INT_CreateNegContext(&minor, 1, nullptr));
    EXPECT_EQ(QXNEGO_E_BAD_CONTEXT, minor);
    Delete(c);
}

// A failure at any allocation of the creation (the record, the log, the list
// copy, a log record) leaves the handle null and nothing allocated.
TEST_F(NegContextTest, CreationWithEachAllocationFailing) {
    for (int n = 1;; ++n) {
        test_memory::reset();
        test_memory::fail_allocation(n);
        gssp_status minor = 0;
        gssp_ctx_id_t handle = nullptr;
        const gssp_status major = QXNEGO_INT_CreateNegContext(&minor, 1, &handle);
        if (test_memory::allocations() < n) {
            EXPECT_EQ(0u, major);
            Delete((NegContext*)handle);
            EXPECT_EQ(0, test_memory::live_blocks());
            break;
        }
        SCOPED_TRACE(n);
        EXPECT_EQ(0x000D0000u, major);
        EXPECT_TRUE(minor == QXNEGO_E_CALLOC || minor == QXNEGO_E_MALLOC) << std::hex << minor;
        EXPECT_EQ(nullptr, handle);
        EXPECT_EQ(0, test_memory::live_blocks());
    }
}

// With every negotiated mechanism disabled since configuration, the copy
// is empty and the creation fails.
TEST_F(NegContextTest, CreationFailsWhenNothingIsEnabledAnyMore) {
    for (uint32_t k = 0; k < MechCount; ++k) {
        if (std::string(pMechInfo[k].name) != "QXNEGO") qxgss::DisableMechanism(k);
    }
    gssp_status minor = 0;
    gssp_ctx_id_t handle = nullptr;
    EXPECT_EQ(0x000D0000u, QXNEGO_INT_CreateNegContext(&minor, 1, &handle));
    EXPECT_EQ(QXNEGO_E_NO_MECHS_AVAILABLE, minor);
    EXPECT_EQ(nullptr, handle);
}

TEST_F(NegContextTest, DeleteRefusalsAndAnIncompleteContext) {
    gssp_status minor = 0;
    EXPECT_EQ(0x02080000u, QXNEGO_delete_sec_context(&minor, nullptr, nullptr));
    EXPECT_EQ(QXNEGO_E_BAD_CONTEXT, minor);
    gssp_ctx_id_t none = nullptr;
    EXPECT_EQ(0x01080000u, QXNEGO_delete_sec_context(&minor, &none, nullptr));
    EXPECT_EQ(QXNEGO_E_BAD_CONTEXT, minor);
    EXPECT_EQ(0x020D0000u, QXNEGO_INT_DeleteNegContext(&minor, nullptr));
    EXPECT_EQ(QXNEGO_E_BAD_NEG_CONTEXT, minor);

    // A context that never completed, holding logon buffers and a cached
    // properties buffer: everything is given back, the token comes back empty.
    NegContext* c = Make(0);
    const gssp_buffer_desc text = {5, (void*)"alice"};
    gssp_duplicate_buffer(&minor, &text, &c->authentication_id);
    gssp_duplicate_buffer(&minor, &text, &c->user);
    gssp_duplicate_buffer(&minor, &text, &c->profile);
    gssp_duplicate_buffer(&minor, &text, &c->user_properties);
    gssp_ctx_id_t handle = c;
    char junk = 0;
    gssp_buffer_desc token = {1, &junk};
    EXPECT_EQ(0u, QXNEGO_delete_sec_context(&minor, &handle, &token));
    EXPECT_EQ(kOk, minor);
    EXPECT_EQ(nullptr, handle);
    EXPECT_EQ(0u, token.length);
    EXPECT_EQ(nullptr, token.value);
}

TEST_F(NegContextTest, InquireBeforeCompletionAnswersForTheNegotiation) {
    for (uint32_t initiator : {1u, 0u}) {
        NegContext* c = Make(initiator);
        gssp_name_t src = (gssp_name_t)&initiator, targ = (gssp_name_t)&initiator;
        uint32_t lifetime = 0, flags = 0;
        gssp_OID mech = nullptr;
        int local = -1, open = -1;
        gssp_status minor = 0;
        ASSERT_EQ(0u, QXNEGO_inquire_context(&minor, c, &src, &targ, &lifetime, &mech, &flags, &local, &open));
        EXPECT_EQ(kOk, minor);
        EXPECT_EQ(0xFFFFFFFFu, lifetime);
        EXPECT_EQ(qxnego_process_state.own_oid, mech);
        EXPECT_EQ(0x30u, flags);
        EXPECT_EQ(initiator ? 1 : 0, local);
        EXPECT_EQ(0, open);
        EXPECT_EQ((gssp_name_t)&initiator, src);  // left untouched
        EXPECT_EQ((gssp_name_t)&initiator, targ);
        EXPECT_EQ(0u, QXNEGO_inquire_context(&minor, c, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
        Delete(c);
    }
    gssp_status minor = 0;
    EXPECT_EQ(0x01080000u,
              QXNEGO_inquire_context(&minor, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(QXNEGO_E_MEMORY_ACCESS, minor);
}

// Once completed the question goes to the selected mechanism; a selection
// outside the table or the list, or a mechanism without the entry point,
// is refused.
TEST_F(NegContextTest, InquireAfterCompletionAsksTheSelectedMechanism) {
    NegContext* c = Make(1);
    c->NegState = QXNEGO_NEG_STATE_COMPLETED;
    const int32_t m1 = c->mech_list.entries[0].mech_index;
    const struct {
        int32_t mech;
        int32_t entry;
        uint32_t minor;
        uint32_t major;
    } refused[] = {
        {-1, 0, QXNEGO_E_BAD_NEG_CONTEXT, 0x000D0000u},
        {(int32_t)MechCount, 0, QXNEGO_E_BAD_NEG_CONTEXT, 0x000D0000u},
        {m1, -1, QXNEGO_E_BAD_NEG_CONTEXT, 0x000D0000u},
        {m1, 2, QXNEGO_E_BAD_NEG_CONTEXT, 0x000D0000u},
    };
    for (const auto& r : refused) {
        c->selected_mech_index = r.mech;
        c->selected_entry_index = r.entry;
        gssp_status minor = 0;
        uint32_t lifetime = 5;
        EXPECT_EQ(r.major, QXNEGO_inquire_context(&minor, c, nullptr, nullptr, &lifetime, nullptr, nullptr, nullptr,
                                                  nullptr));
        EXPECT_EQ(r.minor, minor);
        EXPECT_EQ(5u, lifetime);
    }

    // The test mechanism answers for its context handle: with none it fails,
    // and that failure is passed through.
    c->selected_mech_index = m1;
    c->selected_entry_index = 0;
    gssp_status minor = 0;
    const gssp_status major =
        QXNEGO_inquire_context(&minor, c, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(GSSP_ERROR(major));
    EXPECT_NE(kOk, minor);

    // Without the entry point.
    gssp_mech_info entry_points = pMechInfo[m1];
    entry_points.inquire_context = nullptr;
    ASSERT_TRUE(qxgss::SetMechanismEntryPoints((uint32_t)m1, entry_points));
    EXPECT_EQ(0x000D0000u, QXNEGO_inquire_context(&minor, c, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr));
    EXPECT_EQ(QXNEGO_E_NOT_IMPLEMENTED, minor);
    c->NegState = QXNEGO_NEG_STATE_INCOMPLETE;
    Delete(c);
}

}  // namespace
