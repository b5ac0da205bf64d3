// Discovery over the framework stand-in: the one mechanism this library
// provides, the name types it advertises for any mechanism, and the entry
// points that do no work.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "plain_mechanism.h"
#include "test_memory.h"

namespace {

const uint32_t kOk = 0x230003E8u;

bool SameOid(const gssp_OID_desc& a, const gssp_OID_desc* b) {
    return b != nullptr && a.length == b->length && memcmp(a.elements, b->elements, a.length) == 0;
}

class DiscoveryTest : public testing::Test {
protected:
    void SetUp() override {
        test_memory::reset();
        qxgss::ResetFramework();
    }
    void TearDown() override {
        gssp_status m = 0;
        if (set_ != nullptr) {
            EXPECT_EQ(0u, gssp_release_oid_set(&m, &set_));
        }
        QXNEGO_INT_ReleaseProcessState(&m);
        EXPECT_EQ(0, test_memory::live_blocks());
        qxgss::ResetFramework();
    }

    static void Add(const char* name, const char* oid, std::vector<std::pair<bool, std::string>> negotiable) {
        gssp_mech_info ep;
        memset(&ep, 0, sizeof ep);
        AddPlainMechanism(name, oid, ep, std::move(negotiable));
    }

    void Configure() {
        Add("MECHA", "1.3.6.1.4.1.99.1", {});
        Add("QXNEGO", "1.3.6.1.4.1.99.100", {{true, "1.3.6.1.4.1.99.1"}});
        ASSERT_EQ(0u, QXNEGO_configure(&minor_, nullptr, nullptr, nullptr));
    }

    gssp_status minor_ = 0;
    gssp_OID_set set_ = nullptr;
};

TEST_F(DiscoveryTest, IndicateMechsGivesExactlyTheOwnOid) {
    Configure();
    ASSERT_EQ(0u, QXNEGO_indicate_mechs(&minor_, &set_));
    EXPECT_EQ(kOk, minor_);
    ASSERT_NE(nullptr, set_);
    ASSERT_EQ(1u, set_->count);
    EXPECT_TRUE(SameOid(set_->elements[0], qxnego_process_state.own_oid));

    EXPECT_EQ(0x02000000u, QXNEGO_indicate_mechs(&minor_, nullptr));
    EXPECT_EQ(0xE30003F7u, minor_);
}

TEST_F(DiscoveryTest, IndicateMechsWithoutQxnegoInTheTableHandsOutNoSet) {
    // The half-made set is given back (LeakSanitizer watches the framework's blocks).
    Add("MECHA", "1.3.6.1.4.1.99.1", {});
    gssp_OID_set set = reinterpret_cast<gssp_OID_set>(&minor_);
    EXPECT_EQ(0x000D0000u, QXNEGO_indicate_mechs(&minor_, &set));
    EXPECT_NE(kOk, minor_);
    EXPECT_EQ(nullptr, set);
}

TEST_F(DiscoveryTest, NamesForAnyMechanismAreTheFourMechdataTypesAndHostbased) {
    Configure();
    gssp_OID_desc other = {3, const_cast<char*>("\x2a\x03\x04")};
    for (gssp_OID mechanism : {(gssp_OID) nullptr, qxnego_process_state.own_oid, &other}) {
        ASSERT_EQ(0u, QXNEGO_inquire_names_for_mech(&minor_, mechanism, &set_));
        EXPECT_EQ(kOk, minor_);
        ASSERT_NE(nullptr, set_);
        const gssp_OID want[] = {GSS_C_NT_QXAT_MECHDATA, GSS_C_NT_QXAT_MECHDATA_UTF8, GSS_C_NT_QXAT_MECHDATA_UTF16,
                                 GSS_C_NT_QXAT_MECHDATA_UTF32, GSS_C_NT_HOSTBASED_SERVICE};
        ASSERT_EQ(5u, set_->count);
        for (size_t k = 0; k < 5; ++k) EXPECT_TRUE(SameOid(set_->elements[k], want[k])) << k;
        // The caller's own copy, not the process-wide set.
        EXPECT_NE(qxnego_process_state.advertised_name_types, set_);
        gssp_status m = 0;
        ASSERT_EQ(0u, gssp_release_oid_set(&m, &set_));
    }
    EXPECT_EQ(0x020D0000u, QXNEGO_inquire_names_for_mech(&minor_, nullptr, nullptr));
    EXPECT_EQ(0xE30003F7u, minor_);
}

TEST_F(DiscoveryTest, NamesBeforeConfigurationAreAFailureNotAnEmptySuccess) {
    set_ = reinterpret_cast<gssp_OID_set>(&minor_);
    EXPECT_EQ(0x000D0000u, QXNEGO_inquire_names_for_mech(&minor_, nullptr, &set_));
    EXPECT_EQ(0xE30003F3u, minor_);
    EXPECT_EQ(nullptr, set_);
}

TEST_F(DiscoveryTest, CallsThatDoNoWork) {
    EXPECT_EQ(0u, QXNEGO_get_client_domain_username(&minor_, nullptr, nullptr, nullptr));
    EXPECT_EQ(kOk, minor_);
    using QopCall = gssp_status (*)(gssp_status*, void*, void*);
    for (QopCall call : {QXNEGO_qop_string_to_int, QXNEGO_qop_int_to_string}) {
        minor_ = 0;
        char argument[] = "qop";
        EXPECT_EQ(0x00100000u, call(&minor_, argument, argument));
        EXPECT_EQ(0xE30003F2u, minor_);
        EXPECT_EQ(std::string("qop"), argument);
        EXPECT_EQ(0x00100000u, call(nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(0u, QXNEGO_get_client_domain_username(nullptr, nullptr, nullptr, nullptr));
}

}  // namespace
