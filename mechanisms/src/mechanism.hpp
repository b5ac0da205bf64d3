// One test mechanism's identity and script, and the small status helpers
// every entry point uses.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "qxtest/qxtest.h"

namespace qxtest {

// Major codes the services header does not name.
constexpr gssp_status kBadSig = 0x00060000u;
constexpr gssp_status kDefectiveToken = 0x00090000u;

// A mechanism exported under one prefix: the implementation takes it as its
// first parameter.
struct Mechanism {
    const char* prefix;
    unsigned slot;
};

// What a test scripted for one mechanism (owned copies of the caller's data).
struct Script {
    std::uint32_t initLegs = 1;
    std::uint32_t acceptLegs = 1;
    qxtest_failure acquireFailure{};
    qxtest_failure initFailure{};
    qxtest_failure acceptFailure{};
    std::uint32_t absent = 0;
    bool hasIdentity = false;
    std::string identity;
    std::vector<unsigned char> properties;
    std::vector<std::pair<gssp_status, std::string>> statusTexts;
};

// The mechanism exported under `prefix`, or null.
const Mechanism* FindMechanism(const char* prefix);
// A copy of the mechanism's current script.
Script CurrentScript(const Mechanism& mech);
// The mechanism's OID as the framework knows it (set by configure; before
// that, looked up by the prefix as mechanism name). Null when unknown.
gssp_OID MechanismOid(const Mechanism& mech);
void SetMechanismOid(const Mechanism& mech, gssp_OID oid);

inline gssp_status Done(gssp_status* minor, gssp_status major, gssp_status code) {
    if (minor) *minor = code;
    return major;
}
inline gssp_status Ok(gssp_status* minor) { return Done(minor, GSSP_S_COMPLETE, QXTEST_MINOR_SUCCESS); }

// True (with the status written) when the script marks `op` absent.
bool Absent(const Mechanism& mech, std::uint32_t op, gssp_status* minor, gssp_status* major);

}  // namespace qxtest
