#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qxgss/framework.hpp"
#include "qxgss_services.h"

#ifndef QX_STARTUP_FIXTURE
#error QX_STARTUP_FIXTURE must name the compiled start-up fixture
#endif

namespace {

std::string Messages(const qxgss::StartupReport& r) {
    std::string all;
    for (const std::string& m : r.messages) all += m + "\n";
    return all;
}

uint32_t IndexOf(const char* name) {
    gssp_OID oid = nullptr;
    uint32_t index = GSSP_NO_MECH_INDEX;
    if (gssp_mechstr_to_oid(nullptr, name, &oid) == 0) gssp_oid_to_mechindex(nullptr, oid, &index);
    return index;
}

class Startup : public ::testing::Test {
protected:
    void TearDown() override { qxgss::ResetFramework(); }
};

TEST_F(Startup, BuildsTheTableLoadsLibrariesAndConfigures) {
    const qxgss::StartupReport r = qxgss::StartFramework(QX_STARTUP_FIXTURE, QX_PROBE_DIR);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(MechCount, 5u);
    const std::string messages = Messages(r);

    // Configure calls: the negotiating mechanism after the others.
    const auto probe = messages.find("mechanism PROBE: probe configured");
    const auto nego = messages.find("mechanism PRNEGO: negotiator configured after probe: yes");
    ASSERT_NE(probe, std::string::npos) << messages;
    ASSERT_NE(nego, std::string::npos) << messages;
    EXPECT_LT(probe, nego);

    const gssp_mech_info& p = pMechInfo[IndexOf("PROBE")];
    EXPECT_EQ(p.enabled, 1u);
    EXPECT_NE(p.acquire_cred, nullptr);  // bound by prefix
    EXPECT_EQ(p.init_sec_context, nullptr);
    EXPECT_EQ(pMechInfo[IndexOf("PRFAIL")].enabled, 0u);  // configure failed
    EXPECT_NE(messages.find("mechanism PRFAIL: configure failed (This function is not available for the requested "
                            "security mechanism); disabled"),
              std::string::npos)
        << messages;
    EXPECT_EQ(pMechInfo[IndexOf("PRGONE")].enabled, 0u);  // library missing
    EXPECT_NE(messages.find("mechanism PRGONE: cannot load"), std::string::npos) << messages;
    EXPECT_EQ(pMechInfo[IndexOf("PROFF")].enabled, 0u);  // disabled in the file
    EXPECT_EQ(pMechInfo[IndexOf("PROFF")].acquire_cred, nullptr);

    const gssp_mech_info& n = pMechInfo[IndexOf("PRNEGO")];
    ASSERT_EQ(n.negotiable_count, 2u);
    EXPECT_EQ(n.negotiable[0].usable, 1u);
    EXPECT_STREQ(n.negotiable[0].oid_text, "1.3.6.1.4.1.61211.9.2");
    EXPECT_EQ(n.negotiable[1].usable, 0u);

    gssp_OID oid = nullptr;
    gssp_mechstr_to_oid(nullptr, "PROBE", &oid);
    uint32_t flag = 0;
    int32_t rank = 0;
    gssp_inquire_one_mech_property_boolean(nullptr, oid, QXGSS_PROPERTY_NEGOTIATION_PREFERRED, &flag);
    EXPECT_EQ(flag, 1u);
    gssp_inquire_one_mech_property_boolean(nullptr, oid, QXGSS_PROPERTY_SSO_SUPPORTED, &flag);
    EXPECT_EQ(flag, 1u);
    gssp_inquire_one_mech_property_int(nullptr, oid, QXGSS_PROPERTY_RANK, &rank);
    EXPECT_EQ(rank, 7);
}

TEST_F(Startup, PolicyComesFromTheFile) {
    const qxgss::StartupReport r = qxgss::StartFramework(QX_STARTUP_FIXTURE, QX_PROBE_DIR);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NE(Messages(r).find("policy of bob: no mechanism named NOSUCH"), std::string::npos) << Messages(r);
    gssp_OID_set set = nullptr;
    ASSERT_EQ(gssp_inquire_mech_policy_for_user(nullptr, "alice", &set), 0u);
    EXPECT_EQ(set->count, 2u);
    qxgss_release_oid_set(nullptr, &set);
    ASSERT_EQ(gssp_inquire_mech_policy_for_user(nullptr, "bob", &set), 0u);
    EXPECT_EQ(set->count, 0u);
    qxgss_release_oid_set(nullptr, &set);
}

TEST_F(Startup, ARejectedFileLeavesAnEmptyTable) {
    const qxgss::StartupReport r = qxgss::StartFramework("no-such-file.bin", "");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("no-such-file.bin"), std::string::npos) << r.error;
    EXPECT_EQ(MechCount, 0u);
}

}  // namespace
