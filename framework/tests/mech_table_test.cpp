#include <string>

#include <gtest/gtest.h>

#include "qxgss/framework.hpp"
#include "qxgss_services.h"

namespace {

class MechTable : public ::testing::Test {
protected:
    void SetUp() override {
        qxgss::ResetFramework();
        qxgss::MechanismDefinition krb5;
        krb5.name = "QXKRB5";
        krb5.oid = "1.2.840.113554.1.2.2";
        krb5.properties = {{QXGSS_PROPERTY_NEGOTIATION_PREFERRED, 1}, {QXGSS_PROPERTY_RANK, -5}};
        qxgss::MechanismDefinition nego;
        nego.name = "QXNEGO";
        nego.oid = "1.3.6.1.4.1.61211.2.1";
        nego.negotiable = {{true, "1.2.840.113554.1.2.2"}, {false, "1.3.6.1.4.1.61211.2.8.1"}};
        std::string error;
        ASSERT_TRUE(qxgss::AddMechanism(krb5, gssp_mech_info{}, nullptr, &error)) << error;
        ASSERT_TRUE(qxgss::AddMechanism(nego, gssp_mech_info{}, nullptr, &error)) << error;
    }
    void TearDown() override { qxgss::ResetFramework(); }
};

TEST_F(MechTable, NamesOidsAndIndices) {
    ASSERT_EQ(MechCount, 2u);
    EXPECT_STREQ(pMechInfo[1].name, "QXNEGO");
    ASSERT_EQ(pMechInfo[1].negotiable_count, 2u);
    EXPECT_EQ(pMechInfo[1].negotiable[1].usable, 0u);
    EXPECT_STREQ(pMechInfo[1].negotiable[0].oid_text, "1.2.840.113554.1.2.2");

    gssp_status minor = 0;
    gssp_OID byName = nullptr, byText = nullptr;
    ASSERT_EQ(gssp_mechstr_to_oid(&minor, "qxkrb5", &byName), 0u);  // names ignore case
    ASSERT_EQ(gssp_mechoidstr_to_oid(&minor, "1.2.840.113554.1.2.2", &byText), 0u);
    EXPECT_EQ(byName, byText);
    uint32_t index = 7;
    ASSERT_EQ(gssp_oid_to_mechindex(&minor, byName, &index), 0u);
    EXPECT_EQ(index, 0u);
    const char* name = nullptr;
    ASSERT_EQ(gssp_oid_to_mechstr(&minor, byName, &name), 0u);
    EXPECT_STREQ(name, "QXKRB5");
    const char* dotted = nullptr;
    ASSERT_EQ(gssp_mechstr_to_oidstr(&minor, "QXNEGO", &dotted), 0u);
    EXPECT_STREQ(dotted, "1.3.6.1.4.1.61211.2.1");

    EXPECT_EQ(gssp_mechstr_to_oid(&minor, "PROXY", &byName), GSSP_S_BAD_MECH);
    EXPECT_EQ(byName, nullptr);
    unsigned char other[] = {0x2a, 0x03};
    gssp_OID_desc unknown{2, other};
    EXPECT_EQ(gssp_oid_to_mechindex(&minor, &unknown, &index), GSSP_S_BAD_MECH);
    EXPECT_EQ(index, GSSP_NO_MECH_INDEX);
    EXPECT_EQ(gssp_mechoidstr_to_oid(&minor, "not.an.oid", &byText), GSSP_S_FAILURE);
}

TEST_F(MechTable, PropertiesByNumberAndType) {
    gssp_status minor = 0;
    gssp_OID krb5 = nullptr, nego = nullptr;
    gssp_mechstr_to_oid(&minor, "QXKRB5", &krb5);
    gssp_mechstr_to_oid(&minor, "QXNEGO", &nego);
    uint32_t flag = 9;
    int32_t rank = 9;
    ASSERT_EQ(gssp_inquire_one_mech_property_boolean(&minor, krb5, QXGSS_PROPERTY_NEGOTIATION_PREFERRED, &flag), 0u);
    EXPECT_EQ(flag, 1u);
    ASSERT_EQ(gssp_inquire_one_mech_property_int(&minor, krb5, QXGSS_PROPERTY_RANK, &rank), 0u);
    EXPECT_EQ(rank, -5);
    ASSERT_EQ(gssp_inquire_one_mech_property_boolean(&minor, nego, QXGSS_PROPERTY_SSO_SUPPORTED, &flag), 0u);
    EXPECT_EQ(flag, 0u);  // not configured: off
    EXPECT_TRUE(GSSP_ERROR(gssp_inquire_one_mech_property_int(&minor, krb5, QXGSS_PROPERTY_SSO_SUPPORTED, &rank)));
    EXPECT_TRUE(GSSP_ERROR(gssp_inquire_one_mech_property_boolean(&minor, krb5, 99, &flag)));
}

TEST_F(MechTable, DuplicatesAndBadOidsAreRefused) {
    qxgss::MechanismDefinition again;
    again.name = "qxkrb5";
    again.oid = "1.2.3";
    std::string error;
    EXPECT_FALSE(qxgss::AddMechanism(again, gssp_mech_info{}, nullptr, &error));
    EXPECT_NE(error.find("twice"), std::string::npos);
    again.name = "OTHER";
    again.oid = "1.2.840.113554.1.2.2";
    EXPECT_FALSE(qxgss::AddMechanism(again, gssp_mech_info{}, nullptr, &error));
    again.oid = "1.x";
    EXPECT_FALSE(qxgss::AddMechanism(again, gssp_mech_info{}, nullptr, &error));
    EXPECT_EQ(MechCount, 2u);
}

TEST_F(MechTable, PolicyPerUser) {
    qxgss::SetUserPolicy("alice", {"1.2.840.113554.1.2.2"});
    gssp_status minor = 0;
    gssp_OID_set set = nullptr;
    ASSERT_EQ(gssp_inquire_mech_policy_for_user(&minor, "alice", &set), 0u);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->count, 1u);
    gssp_OID krb5 = nullptr;
    gssp_mechstr_to_oid(&minor, "QXKRB5", &krb5);
    int present = 0;
    gssp_test_oid_set_member(&minor, krb5, set, &present);
    EXPECT_EQ(present, 1);
    qxgss_release_oid_set(&minor, &set);
    ASSERT_EQ(gssp_inquire_mech_policy_for_user(&minor, "bob", &set), 0u);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->count, 0u);  // no policy: no restriction
    qxgss_release_oid_set(&minor, &set);
}

}  // namespace
