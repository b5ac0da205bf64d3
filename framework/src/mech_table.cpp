// The mechanism table and the services that answer from it: mechanism names
// <-> OIDs <-> dotted text, properties by number, per-user policy.
#include <cctype>
#include <deque>
#include <memory>

#include "oid.hpp"
#include "qxgss/framework.hpp"
#include "status.hpp"

using namespace qxgss;

extern "C" {
QXGSS_API uint32_t MechCount = 0;
QXGSS_API gssp_mech_info* pMechInfo = nullptr;
}

namespace qxgss {
namespace {

struct MechanismRecord {
    MechanismDefinition definition;
    std::unique_ptr<OwnedOid> oid;
    std::vector<gssp_negotiable_mech> negotiable;  // texts point into definition
};

struct Registry {
    std::deque<MechanismRecord> records;
    std::vector<gssp_mech_info> infos;
    std::map<std::string, std::vector<std::string>> policies;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

bool SameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return i == a.size() && !b[i];
}

const MechanismRecord* ByName(const char* name) {
    for (const MechanismRecord& r : TheRegistry().records) {
        if (SameName(r.definition.name, name)) return &r;
    }
    return nullptr;
}

const MechanismRecord* ByOid(const gssp_OID_desc* oid, std::uint32_t* index = nullptr) {
    const Registry& reg = TheRegistry();
    for (std::size_t i = 0; i < reg.records.size(); ++i) {
        if (SameOid(reg.records[i].oid->get(), oid)) {
            if (index) *index = static_cast<std::uint32_t>(i);
            return &reg.records[i];
        }
    }
    return nullptr;
}

void Publish() {
    Registry& reg = TheRegistry();
    MechCount = static_cast<std::uint32_t>(reg.infos.size());
    pMechInfo = reg.infos.empty() ? nullptr : reg.infos.data();
}

}  // namespace

QXGSS_API const std::vector<PropertyDefinition>& PropertyDefinitions() {
    static const std::vector<PropertyDefinition> definitions = {
        {1, "MechanismEnabled", true},
        {QXGSS_PROPERTY_NEGOTIATION_PREFERRED, "NegotiationPreferred", true},
        {3, "DefaultMechanism", true},
        {4, "NegotiationSupported", true},
        {5, "DefaultNegotiatingMechanism", true},
        {QXGSS_PROPERTY_SSO_SUPPORTED, "SingleSignOnSupported", true},
        {QXGSS_PROPERTY_RANK, "Rank", false},
    };
    return definitions;
}

QXGSS_API bool AddMechanism(const MechanismDefinition& definition, const gssp_mech_info& entryPoints, std::uint32_t* index,
                  std::string* error) {
    auto bytes = DottedToDer(definition.oid);
    if (!bytes) {
        if (error) *error = "mechanism " + definition.name + ": OID '" + definition.oid + "' is not an OID";
        return false;
    }
    OwnedOid probe(*bytes);
    if (ByName(definition.name.c_str()) || ByOid(probe.get())) {
        if (error) *error = "mechanism " + definition.name + " is configured twice";
        return false;
    }
    Registry& reg = TheRegistry();
    reg.records.push_back(MechanismRecord{definition, std::make_unique<OwnedOid>(std::move(*bytes)), {}});
    MechanismRecord& r = reg.records.back();
    for (const auto& item : r.definition.negotiable) {
        r.negotiable.push_back(gssp_negotiable_mech{item.first ? 1u : 0u, item.second.c_str()});
    }
    gssp_mech_info info = entryPoints;
    info.name = r.definition.name.c_str();
    info.enabled = r.definition.enabled ? 1 : 0;
    info.negotiable_count = static_cast<std::uint32_t>(r.negotiable.size());
    info.negotiable = r.negotiable.empty() ? nullptr : r.negotiable.data();
    reg.infos.push_back(info);
    if (index) *index = static_cast<std::uint32_t>(reg.infos.size() - 1);
    Publish();
    return true;
}

QXGSS_API bool SetMechanismEntryPoints(std::uint32_t index, const gssp_mech_info& entryPoints) {
    Registry& reg = TheRegistry();
    if (index >= reg.infos.size()) return false;
    gssp_mech_info info = entryPoints;
    const gssp_mech_info& old = reg.infos[index];
    info.name = old.name;
    info.negotiable_count = old.negotiable_count;
    info.negotiable = old.negotiable;
    info.enabled = old.enabled;
    reg.infos[index] = info;
    return true;
}

QXGSS_API void DisableMechanism(std::uint32_t index) {
    Registry& reg = TheRegistry();
    if (index < reg.infos.size()) reg.infos[index].enabled = 0;
}

QXGSS_API void ResetFramework() {
    Registry& reg = TheRegistry();
    reg.infos.clear();
    reg.records.clear();
    reg.policies.clear();
    Publish();
}

QXGSS_API void SetUserPolicy(const std::string& user, const std::vector<std::string>& dottedOids) {
    TheRegistry().policies[user] = dottedOids;
}

}  // namespace qxgss

namespace {

const PropertyDefinition* PropertyByNumber(std::uint32_t number) {
    for (const PropertyDefinition& p : PropertyDefinitions()) {
        if (p.number == number) return &p;
    }
    return nullptr;
}

gssp_status InquireProperty(gssp_status* minor, const gssp_OID_desc* oid, std::uint32_t number, bool boolean,
                            std::int32_t* value) {
    if (!oid || !value) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *value = 0;
    const MechanismRecord* r = ByOid(oid);
    if (!r) return Fail(minor, kUnknownMechanism, GSSP_S_BAD_MECH);
    const PropertyDefinition* p = PropertyByNumber(number);
    if (!p || p->boolean != boolean) return Fail(minor, kUnknownProperty);
    const auto it = r->definition.properties.find(number);
    *value = it == r->definition.properties.end() ? 0 : it->second;
    return Ok(minor);
}

}  // namespace

extern "C" {

QXGSS_API gssp_status gssp_mechstr_to_oid(gssp_status* minor, const char* name, gssp_OID* oid) {
    if (!name || !oid) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *oid = nullptr;
    const MechanismRecord* r = ByName(name);
    if (!r) return Fail(minor, kUnknownMechanism, GSSP_S_BAD_MECH);
    *oid = const_cast<gssp_OID>(r->oid->get());
    return Ok(minor);
}

QXGSS_API gssp_status gssp_mechoidstr_to_oid(gssp_status* minor, const char* dotted, gssp_OID* oid) {
    if (!dotted || !oid) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *oid = nullptr;
    const auto bytes = DottedToDer(dotted);
    if (!bytes) return Fail(minor, kBadOid);
    const OwnedOid probe(*bytes);
    const MechanismRecord* r = ByOid(probe.get());
    if (!r) return Fail(minor, kUnknownMechanism, GSSP_S_BAD_MECH);
    *oid = const_cast<gssp_OID>(r->oid->get());
    return Ok(minor);
}

QXGSS_API gssp_status gssp_oid_to_mechindex(gssp_status* minor, const gssp_OID_desc* oid, uint32_t* index) {
    if (!oid || !index) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *index = GSSP_NO_MECH_INDEX;
    if (!ByOid(oid, index)) return Fail(minor, kUnknownMechanism, GSSP_S_BAD_MECH);
    return Ok(minor);
}

QXGSS_API gssp_status gssp_oid_to_mechstr(gssp_status* minor, const gssp_OID_desc* oid, const char** name) {
    if (!oid || !name) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *name = nullptr;
    const MechanismRecord* r = ByOid(oid);
    if (!r) return Fail(minor, kUnknownMechanism, GSSP_S_BAD_MECH);
    *name = r->definition.name.c_str();
    return Ok(minor);
}

QXGSS_API gssp_status gssp_mechstr_to_oidstr(gssp_status* minor, const char* name, const char** dotted) {
    if (!name || !dotted) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *dotted = nullptr;
    const MechanismRecord* r = ByName(name);
    if (!r) return Fail(minor, kUnknownMechanism, GSSP_S_BAD_MECH);
    *dotted = r->definition.oid.c_str();
    return Ok(minor);
}

QXGSS_API gssp_status gssp_inquire_one_mech_property_boolean(gssp_status* minor, const gssp_OID_desc* oid,
                                                             uint32_t number, uint32_t* value) {
    std::int32_t v = 0;
    const gssp_status major = InquireProperty(minor, oid, number, true, &v);
    if (value) *value = v ? 1u : 0u;
    return major;
}

QXGSS_API gssp_status gssp_inquire_one_mech_property_int(gssp_status* minor, const gssp_OID_desc* oid,
                                                         uint32_t number, int32_t* value) {
    return InquireProperty(minor, oid, number, false, value);
}

QXGSS_API gssp_status gssp_inquire_mech_policy_for_user(gssp_status* minor, const char* user,
                                                        gssp_OID_set* mechanisms) {
    if (!user || !mechanisms) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *mechanisms = nullptr;
    gssp_OID_set set = nullptr;
    gssp_status major = gssp_create_empty_oid_set(minor, &set);
    if (major != GSSP_S_COMPLETE) return major;
    const auto& policies = TheRegistry().policies;
    const auto it = policies.find(user);
    if (it != policies.end()) {
        for (const std::string& dotted : it->second) {
            const auto bytes = DottedToDer(dotted);
            if (!bytes) continue;
            const OwnedOid oid(*bytes);
            major = gssp_add_oid_set_member(minor, oid.get(), &set);
            if (major != GSSP_S_COMPLETE) {
                gssp_release_oid_set(nullptr, &set);
                return major;
            }
        }
    }
    *mechanisms = set;
    return Ok(minor);
}

}  // extern "C"
