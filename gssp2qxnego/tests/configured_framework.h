// A test fixture: the framework stand-in started from a compiled fixture
// configuration (the test mechanisms loaded from their library), then the
// negotiating mechanism's own configuration, as the framework runs it, over
// the plug-in's core linked into the test. TearDown gives everything back
// and checks that the plug-in leaked nothing.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gssp2qxnego.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "qxtest/qxtest.h"
#include "test_memory.h"

class ConfiguredFramework : public testing::Test {
protected:
    // Starts the framework from `fixture`; with configure, runs QXNEGO_configure.
    void Start(const char* fixture, bool configure = true) {
        test_memory::reset();
        qxtest_reset();
        qxgss::ResetFramework();
        const qxgss::StartupReport report = qxgss::StartFramework(fixture, QX_MECH_DIR);
        ASSERT_TRUE(report.ok) << report.error;
        if (configure) {
            gssp_status minor = 0;
            ASSERT_EQ(0u, QXNEGO_configure(&minor, nullptr, nullptr, nullptr));
            ASSERT_EQ(0x230003E8u, minor);
        }
    }

    void TearDown() override {
        gssp_status minor = 0;
        QXNEGO_INT_ReleaseProcessState(&minor);
        EXPECT_EQ(0, test_memory::live_blocks());
        qxtest_reset();
        qxgss::ResetFramework();
    }

    static gssp_OID Oid(const char* name) {
        gssp_status minor = 0;
        gssp_OID oid = nullptr;
        EXPECT_EQ(0u, gssp_mechstr_to_oid(&minor, name, &oid)) << name;
        return oid;
    }

    static std::string Name(const gssp_OID_desc* oid) {
        gssp_status minor = 0;
        const char* name = nullptr;
        return GSSP_ERROR(gssp_oid_to_mechstr(&minor, oid, &name)) ? "?" : name;
    }

    static std::vector<std::string> Names(const NegMechList& list) {
        std::vector<std::string> names;
        for (uint32_t k = 0; k < list.count; ++k) names.push_back(Name(list.entries[k].oid));
        return names;
    }

    static bool SameOid(const gssp_OID_desc* a, const gssp_OID_desc* b) {
        gssp_status minor = 0;
        int result = 1;
        return !GSSP_ERROR(gssp_compare_oids(&minor, a, b, &result)) && result == 0;
    }

    static std::vector<std::string> SetNames(const gssp_OID_set_desc* set) {
        std::vector<std::string> names;
        for (size_t k = 0; set != nullptr && k < set->count; ++k) names.push_back(Name(&set->elements[k]));
        return names;
    }
};
