// The scripts of the test mechanisms, kept per prefix.
#include <cstring>
#include <mutex>

#include "mechanism.hpp"

namespace qxtest {
namespace {

constexpr Mechanism kMechanisms[] = {
    {"QXTEST1", 0}, {"QXTEST2", 1}, {"QXTEST3", 2}, {"QXTEST4", 3}, {"QXTESTMIN", 4},
};
constexpr unsigned kCount = sizeof(kMechanisms) / sizeof(kMechanisms[0]);

struct Slot {
    Script script;
    gssp_OID oid = nullptr;
};

std::mutex& Lock() {
    static std::mutex m;
    return m;
}
Slot* Slots() {
    static Slot slots[kCount];
    return slots;
}

Script Copy(const qxtest_script_desc& d) {
    Script s;
    s.initLegs = d.init_legs ? d.init_legs : 1;
    s.acceptLegs = d.accept_legs ? d.accept_legs : 1;
    s.acquireFailure = d.acquire_failure;
    s.initFailure = d.init_failure;
    s.acceptFailure = d.accept_failure;
    s.absent = d.absent;
    s.hasIdentity = d.identity != nullptr;
    if (d.identity) s.identity = d.identity;
    if (d.properties && d.properties_length) {
        const auto* p = static_cast<const unsigned char*>(d.properties);
        s.properties.assign(p, p + d.properties_length);
    }
    for (std::uint32_t i = 0; d.status_texts && i < d.status_text_count; ++i) {
        s.statusTexts.emplace_back(d.status_texts[i].minor, d.status_texts[i].text ? d.status_texts[i].text : "");
    }
    return s;
}

}  // namespace

const Mechanism* FindMechanism(const char* prefix) {
    if (!prefix) return nullptr;
    for (const Mechanism& m : kMechanisms) {
        if (std::strcmp(m.prefix, prefix) == 0) return &m;
    }
    return nullptr;
}

Script CurrentScript(const Mechanism& mech) {
    std::lock_guard<std::mutex> guard(Lock());
    return Slots()[mech.slot].script;
}

gssp_OID MechanismOid(const Mechanism& mech) {
    {
        std::lock_guard<std::mutex> guard(Lock());
        if (Slots()[mech.slot].oid) return Slots()[mech.slot].oid;
    }
    gssp_OID oid = nullptr;
    if (gssp_mechstr_to_oid(nullptr, mech.prefix, &oid) != GSSP_S_COMPLETE) return nullptr;
    return oid;
}

void SetMechanismOid(const Mechanism& mech, gssp_OID oid) {
    std::lock_guard<std::mutex> guard(Lock());
    Slots()[mech.slot].oid = oid;
}

bool Absent(const Mechanism& mech, std::uint32_t op, gssp_status* minor, gssp_status* major) {
    std::lock_guard<std::mutex> guard(Lock());
    if (!(Slots()[mech.slot].script.absent & op)) return false;
    *major = Done(minor, GSSP_S_UNAVAILABLE, QXGSS_MINOR_UNAVAILABLE);
    return true;
}

}  // namespace qxtest

QXTEST_API int qxtest_script(const char* prefix, const qxtest_script_desc* script) {
    const qxtest::Mechanism* mech = qxtest::FindMechanism(prefix);
    if (!mech) return -1;
    try {
        qxtest::Script copy = script ? qxtest::Copy(*script) : qxtest::Script{};
        std::lock_guard<std::mutex> guard(qxtest::Lock());
        qxtest::Slots()[mech->slot].script = std::move(copy);
        return 0;
    } catch (...) {
        return -1;  // out of memory: the old script stays
    }
}

QXTEST_API void qxtest_reset(void) {
    std::lock_guard<std::mutex> guard(qxtest::Lock());
    for (unsigned i = 0; i < qxtest::kCount; ++i) {
        qxtest::Slots()[i].script = qxtest::Script{};  // moves in an empty script: cannot fail
    }
}
