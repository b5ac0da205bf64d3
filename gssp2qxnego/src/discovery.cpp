// Discovery: the mechanisms this library provides and the name types it
// advertises, and the entry points that exist for the framework's interface
// but do no work here.
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "process_state.h"
#include "status_result.h"

extern "C" gssp_status QXNEGO_indicate_mechs(gssp_status* minor, gssp_OID_set* mech_set) {
    if (mech_set == nullptr) return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE);
    gssp_status m = 0;
    gssp_status major = gssp_create_empty_oid_set(&m, mech_set);
    if (GSSP_ERROR(major)) {
        *mech_set = nullptr;
        return qxnego_result(minor, m, major);
    }
    gssp_OID own = nullptr;
    major = gssp_mechstr_to_oid(&m, "QXNEGO", &own);
    if (GSSP_ERROR(major)) {
        major = GSSP_S_FAILURE;
    } else {
        major = gssp_add_oid_set_member(&m, own, mech_set);
    }
    if (GSSP_ERROR(major)) {
        // The half-made set is not handed out.
        gssp_status ignored = 0;
        gssp_release_oid_set(&ignored, mech_set);
        *mech_set = nullptr;
        return qxnego_result(minor, m, major);
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_inquire_names_for_mech(gssp_status* minor, gssp_OID, gssp_OID_set* name_types) {
    if (name_types == nullptr)
        return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    *name_types = nullptr;
    // Built by QXNEGO_configure; without it there is nothing to advertise.
    if (qxnego_process_state.advertised_name_types == nullptr)
        return qxnego_result(minor, QXNEGO_E_INTERNAL, GSSP_S_FAILURE);
    gssp_status m = 0;
    const gssp_status major = gssp_duplicate_oid_set(&m, qxnego_process_state.advertised_name_types, name_types);
    if (GSSP_ERROR(major)) {
        *name_types = nullptr;
        return qxnego_result(minor, m, major);
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_get_client_domain_username(gssp_status* minor, void*, void*, void*) {
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_qop_string_to_int(gssp_status* minor, void*, void*) {
    return qxnego_result(minor, QXNEGO_E_NOT_IMPLEMENTED, GSSP_S_UNAVAILABLE);
}

extern "C" gssp_status QXNEGO_qop_int_to_string(gssp_status* minor, void*, void*) {
    return qxnego_result(minor, QXNEGO_E_NOT_IMPLEMENTED, GSSP_S_UNAVAILABLE);
}
