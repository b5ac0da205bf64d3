// Adds a mechanism to the framework stand-in's table for a test: not
// preferred, rank 1, no single sign-on, with the given entry points and
// negotiable items.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "qxgss/framework.hpp"

inline void AddPlainMechanism(const char* name, const char* oid, const gssp_mech_info& entry_points,
                              std::vector<std::pair<bool, std::string>> negotiable) {
    qxgss::MechanismDefinition d;
    d.name = name;
    d.oid = oid;
    d.properties[QXGSS_PROPERTY_NEGOTIATION_PREFERRED] = 0;
    d.properties[QXGSS_PROPERTY_RANK] = 1;
    d.properties[QXGSS_PROPERTY_SSO_SUPPORTED] = 0;
    d.negotiable = std::move(negotiable);
    uint32_t index = 0;
    std::string error;
    ASSERT_TRUE(qxgss::AddMechanism(d, entry_points, &index, &error)) << error;
}
