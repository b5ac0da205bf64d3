// The negotiating mechanism's configuration over compiled fixture
// configurations: the process-wide state it builds, the order of the list,
// the items it leaves out, and the messages of a failed configuration.
#include <cstring>
#include <string>

#include "configured_framework.h"
#include "framework_status.h"
#include "mechanism_status.h"

namespace {

bool SetIs(const gssp_OID_set_desc* set, std::initializer_list<gssp_OID> oids) {
    if (set == nullptr || set->count != oids.size()) return false;
    size_t k = 0;
    for (gssp_OID oid : oids) {
        const gssp_OID_desc& e = set->elements[k++];
        if (e.length != oid->length || memcmp(e.elements, oid->elements, oid->length) != 0) return false;
    }
    return true;
}

class ConfigureTest : public ConfiguredFramework {};

TEST_F(ConfigureTest, BuildsTheProcessWideState) {
    Start(QX_NEGO_PAIR_FIXTURE);
    const QxnegoProcessState& s = qxnego_process_state;
    EXPECT_EQ("QXNEGO", Name(s.own_oid));
    uint32_t index = 0;
    gssp_status minor = 0;
    ASSERT_EQ(0u, gssp_oid_to_mechindex(&minor, s.own_oid, &index));
    EXPECT_EQ((int32_t)index, s.own_mech_index);
    EXPECT_TRUE(SetIs(s.actual_mechs, {s.own_oid}));
    EXPECT_TRUE(SetIs(s.utf8_name_types, {GSS_C_NT_QXAT_MECHDATA_UTF8}));
    EXPECT_TRUE(SetIs(s.accepted_name_types, {GSS_C_NT_QXAT_MECHDATA, GSS_C_NT_QXAT_MECHDATA_UTF8,
                                              GSS_C_NT_QXAT_MECHDATA_UTF16, GSS_C_NT_QXAT_MECHDATA_UTF32}));
    EXPECT_TRUE(SetIs(s.advertised_name_types,
                      {GSS_C_NT_QXAT_MECHDATA, GSS_C_NT_QXAT_MECHDATA_UTF8, GSS_C_NT_QXAT_MECHDATA_UTF16,
                       GSS_C_NT_QXAT_MECHDATA_UTF32, GSS_C_NT_HOSTBASED_SERVICE}));
    EXPECT_EQ((std::vector<std::string>{"M1", "M2"}), Names(s.mech_list));
    const NegMechEntry& m2 = s.mech_list.entries[1];
    EXPECT_EQ(20, m2.rank);
    EXPECT_EQ(1u, m2.sso_supported);
    EXPECT_EQ(0u, m2.preferred);
}

// Preferred mechanisms first, each group by ascending rank; a PROXY entry,
// a disabled mechanism, an unusable item, an unknown OID and QXNEGO itself
// are left out.
TEST_F(ConfigureTest, OrdersAndFiltersTheConfiguredItems) {
    const struct {
        const char* fixture;
        std::vector<std::string> order;
    } cases[] = {
        {QX_NEGO_ORDER1_FIXTURE, {"C", "B", "D", "A"}},
        {QX_NEGO_ORDER2_FIXTURE, {"C", "D", "A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        Start(c.fixture);
        EXPECT_EQ(c.order, Names(qxnego_process_state.mech_list));
        gssp_status minor = 0;
        QXNEGO_INT_ReleaseProcessState(&minor);
        EXPECT_EQ(0, test_memory::live_blocks());
    }
}

// A second configuration gives back what the first built.
TEST_F(ConfigureTest, RunningAgainLosesNothing) {
    Start(QX_NEGO_PAIR_FIXTURE);
    gssp_status minor = 0;
    ASSERT_EQ(0u, QXNEGO_configure(&minor, nullptr, nullptr, nullptr));
    EXPECT_EQ(2u, qxnego_process_state.mech_list.count);
}

// Nothing to negotiate: each failed configuration appends its message,
// without separator or NUL, to the same buffer.
TEST_F(ConfigureTest, FailedConfigurationsAccumulateTheirMessages) {
    Start(QX_NEGO_PAIR_FIXTURE, false);
    for (uint32_t k = 0; k < MechCount; ++k) {
        if (std::string(pMechInfo[k].name) != "QXNEGO") qxgss::DisableMechanism(k);
    }
    // The list is built from QXNEGO's items that are enabled; with the two
    // negotiated mechanisms disabled nothing is left.
    const std::string expected =
        "QXNEGO_configure: Error when calling QXNEGO_INT_InitNegMechList(The QXNEGO security mechanism could not "
        "find any mechanisms available for negotiation.) Mechanism Disabled";
    gssp_buffer_desc messages = {0, nullptr};
    gssp_status minor = 0;
    EXPECT_EQ(0x000D0000u, QXNEGO_configure(&minor, nullptr, nullptr, &messages));
    EXPECT_EQ(QXNEGO_FW_W_MECH_DISABLED, minor);
    ASSERT_EQ(expected.size(), messages.length);
    EXPECT_EQ(0x000D0000u, QXNEGO_configure(&minor, nullptr, nullptr, &messages));
    ASSERT_EQ(2 * expected.size(), messages.length);
    EXPECT_EQ(expected + expected, std::string((const char*)messages.value, messages.length));

    // Growing the buffer (the last allocation of a failed configuration)
    // fails: the buffer is as it was.
    const void* before = messages.value;
    const int start = test_memory::allocations();
    gssp_buffer_desc scratch = {0, nullptr};
    QXNEGO_configure(&minor, nullptr, nullptr, &scratch);
    gssp_release_buffer(&minor, &scratch);
    test_memory::fail_allocation(test_memory::allocations() - start);
    EXPECT_EQ(0x000D0000u, QXNEGO_configure(&minor, nullptr, nullptr, &messages));
    EXPECT_EQ(QXNEGO_E_MALLOC, minor);
    EXPECT_EQ(before, messages.value);
    EXPECT_EQ(2 * expected.size(), messages.length);

    // The framework owns the buffer and gives it back; the configuration
    // made it, so the plug-in's allocator saw it.
    gssp_release_buffer(&minor, &messages);
    test_memory::reset();
}

TEST_F(ConfigureTest, RefusesAMissingMinorPointer) {
    Start(QX_NEGO_PAIR_FIXTURE, false);
    EXPECT_TRUE(GSSP_ERROR(QXNEGO_configure(nullptr, nullptr, nullptr, nullptr)));
    EXPECT_EQ(0u, qxnego_process_state.mech_list.count);
}

// Every allocation of the configuration failing in turn: a failure status,
// and nothing kept that the release does not give back.
TEST_F(ConfigureTest, AllocationFailures) {
    Start(QX_NEGO_PAIR_FIXTURE, false);
    for (int n = 1;; ++n) {
        test_memory::reset();
        test_memory::fail_allocation(n);
        gssp_status minor = 0;
        const gssp_status major = QXNEGO_configure(&minor, nullptr, nullptr, nullptr);
        const bool failed = test_memory::allocations() >= n;
        QXNEGO_INT_ReleaseProcessState(&minor);
        EXPECT_EQ(0, test_memory::live_blocks()) << n;
        if (!failed) {
            EXPECT_EQ(0u, major);
            break;
        }
        EXPECT_TRUE(GSSP_ERROR(major)) << n;
    }
}

}  // namespace
