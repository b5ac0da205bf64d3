// Credentials and names.
#include <new>

#include "entry_points.hpp"
#include "handles.hpp"

namespace qxtest {

gssp_status MakeUtf8Name(gssp_status* minor, const std::string& text, gssp_name_t* name) {
    gssp_name_desc desc{GSS_C_NT_QXAT_MECHDATA_UTF8, {text.size(), const_cast<char*>(text.data())}};
    if (gssp_duplicate_name(nullptr, &desc, name) != GSSP_S_COMPLETE) {
        return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    }
    return Ok(minor);
}

gssp_status MakeOwnOidSet(const Mechanism& mech, gssp_status* minor, gssp_OID_set* set) {
    *set = nullptr;
    const gssp_OID oid = MechanismOid(mech);
    if (!oid) return Done(minor, GSSP_S_BAD_MECH, QXTEST_MINOR_BAD_MECH);
    if (gssp_create_empty_oid_set(nullptr, set) != GSSP_S_COMPLETE ||
        gssp_add_oid_set_member(nullptr, oid, set) != GSSP_S_COMPLETE) {
        gssp_release_oid_set(nullptr, set);
        return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    }
    return Ok(minor);
}

gssp_status AcquireCred(const Mechanism& mech, gssp_status* minor, gssp_name_t desired_name, uint32_t /*time_req*/,
                        gssp_OID_set desired_mechs, int cred_usage, gssp_cred_id_t* output_cred,
                        gssp_OID_set* actual_mechs, uint32_t* time_rec) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_ACQUIRE_CRED, minor, &major)) return major;
    if (actual_mechs) *actual_mechs = nullptr;
    if (time_rec) *time_rec = 0;
    if (!output_cred) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    *output_cred = nullptr;
    const Script script = CurrentScript(mech);
    if (script.acquireFailure.major) return Done(minor, script.acquireFailure.major, script.acquireFailure.minor);
    if (cred_usage != GSSP_C_BOTH && cred_usage != GSSP_C_INITIATE && cred_usage != GSSP_C_ACCEPT) {
        return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_WRONG_USAGE);
    }
    if (desired_mechs && desired_mechs->count) {
        const gssp_OID oid = MechanismOid(mech);
        int present = 0;
        if (!oid || gssp_test_oid_set_member(nullptr, oid, desired_mechs, &present) != GSSP_S_COMPLETE || !present) {
            return Done(minor, GSSP_S_BAD_MECH, QXTEST_MINOR_BAD_MECH);
        }
    }
    auto* cred = new (std::nothrow) Credential{&mech, cred_usage, nullptr};
    if (!cred) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    major = GSSP_S_COMPLETE;
    if (desired_name) {
        if (gssp_duplicate_name(nullptr, desired_name, &cred->name) != GSSP_S_COMPLETE) {
            major = Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
        }
    } else if (script.hasIdentity) {
        major = MakeUtf8Name(minor, script.identity, &cred->name);
    }
    if (!GSSP_ERROR(major) && actual_mechs) major = MakeOwnOidSet(mech, minor, actual_mechs);
    if (!GSSP_ERROR(major) && !RegisterCredential(cred)) major = Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    if (GSSP_ERROR(major)) {
        if (actual_mechs) gssp_release_oid_set(nullptr, actual_mechs);
        DestroyCredential(cred);
        return major;
    }
    if (time_rec) *time_rec = GSSP_C_INDEFINITE;
    *output_cred = cred;
    return Ok(minor);
}

gssp_status ReleaseCred(const Mechanism& mech, gssp_status* minor, gssp_cred_id_t* cred) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_RELEASE_CRED, minor, &major)) return major;
    if (!cred) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ, QXTEST_MINOR_BAD_ARGUMENT);
    if (!*cred) return Ok(minor);  // the default credential: nothing to release
    Credential* c = FindCredential(mech, *cred);
    if (!c) return Done(minor, GSSP_S_NO_CRED, QXTEST_MINOR_BAD_HANDLE);
    DestroyCredential(c);
    *cred = nullptr;
    return Ok(minor);
}

gssp_status InquireCred(const Mechanism& mech, gssp_status* minor, gssp_cred_id_t cred, gssp_name_t* name,
                        uint32_t* lifetime, int* cred_usage, gssp_OID_set* mechanisms) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_INQUIRE_CRED, minor, &major)) return major;
    if (name) *name = nullptr;
    if (lifetime) *lifetime = 0;
    if (cred_usage) *cred_usage = 0;
    if (mechanisms) *mechanisms = nullptr;
    const Credential* c = nullptr;
    if (cred && !(c = FindCredential(mech, cred))) return Done(minor, GSSP_S_NO_CRED, QXTEST_MINOR_BAD_HANDLE);
    if (name) {
        // The default credential names the scripted identity.
        const Script script = CurrentScript(mech);
        if (c && c->name) {
            if (gssp_duplicate_name(nullptr, c->name, name) != GSSP_S_COMPLETE) {
                return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
            }
        } else if (!c && script.hasIdentity) {
            major = MakeUtf8Name(minor, script.identity, name);
            if (GSSP_ERROR(major)) return major;
        } else {
            return Done(minor, GSSP_S_NO_CRED, QXTEST_MINOR_NO_IDENTITY);
        }
    }
    if (mechanisms) {
        major = MakeOwnOidSet(mech, minor, mechanisms);
        if (GSSP_ERROR(major)) {
            if (name) gssp_release_name(nullptr, name);
            return major;
        }
    }
    if (lifetime) *lifetime = GSSP_C_INDEFINITE;
    if (cred_usage) *cred_usage = c ? c->usage : GSSP_C_BOTH;
    return Ok(minor);
}

gssp_status ReleaseName(const Mechanism& mech, gssp_status* minor, gssp_name_t* name) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_RELEASE_NAME, minor, &major)) return major;
    if (!name) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ, QXTEST_MINOR_BAD_ARGUMENT);
    gssp_release_name(nullptr, name);
    return Ok(minor);
}

}  // namespace qxtest
