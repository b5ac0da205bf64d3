// The negotiating mechanism's credential: the desired name (its text
// converted to UTF-8 when needed), lifetime, mechanisms and usage that every
// negotiated mechanism's own credential is later acquired with.
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_mech.h"
#include "plugin_memory.h"
#include "process_state.h"
#include "status_result.h"

namespace {

// Replaces the credential's name text by its UTF-8 form when the name type
// is not already UTF-8; the old text is given back securely.
gssp_status ConvertToUtf8(gssp_status* m, gssp_name_t name) {
    int present = 0;
    gssp_status major = gssp_test_oid_set_member(m, name->name_type, qxnego_process_state.utf8_name_types, &present);
    if (GSSP_ERROR(major) || present) return major;
    gssp_buffer_desc utf8 = {0, nullptr};
    const uint32_t request[3] = {0, 1, 0};
    major = gssp_convertname_utf(m, name, &utf8, request);
    if (GSSP_ERROR(major) || utf8.value == nullptr) return major;
    gssp_buffer_desc old = name->text;
    name->text = utf8;
    gssp_status ignored = 0;
    gssp_release_secure_buffer(&ignored, &old);
    return 0;
}

}  // namespace

extern "C" gssp_status QXNEGO_acquire_cred(gssp_status* minor, gssp_name_t desired_name, uint32_t time_req,
                                           gssp_OID_set desired_mechs, int cred_usage,
                                           gssp_cred_id_t* output_cred_handle, gssp_OID_set* actual_mechs,
                                           uint32_t* time_rec) {
    if (actual_mechs != nullptr) *actual_mechs = nullptr;
    if (time_rec != nullptr) *time_rec = 0;
    if (output_cred_handle == nullptr)
        return qxnego_result(minor, QXNEGO_E_NO_CRED, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_NO_CRED);
    *output_cred_handle = nullptr;

    gssp_status m = 0;
    if (desired_name != nullptr) {
        int present = 0;
        if (GSSP_ERROR(gssp_test_oid_set_member(&m, desired_name->name_type, qxnego_process_state.accepted_name_types,
                                                &present)))
            return qxnego_result(minor, m, GSSP_S_FAILURE);
        if (!present) return qxnego_result(minor, QXNEGO_E_BAD_NAME_TYPE, GSSP_S_FAILURE);
    }
    if (cred_usage < 0 || cred_usage > GSSP_C_ACCEPT) return qxnego_result(minor, QXNEGO_E_BAD_CRED_USAGE, GSSP_S_NO_CRED);

    NegCredential* cred = (NegCredential*)qxnego_calloc(1, sizeof(NegCredential));
    if (cred == nullptr) return qxnego_result(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    *output_cred_handle = cred;

    gssp_status major = gssp_duplicate_name(&m, desired_name, &cred->name);
    if (!GSSP_ERROR(major) && desired_name != nullptr && cred->name != nullptr) major = ConvertToUtf8(&m, cred->name);
    if (!GSSP_ERROR(major)) {
        cred->time_req = time_req;
        major = gssp_duplicate_oid_set(&m, desired_mechs, &cred->mechanisms);
        cred->cred_usage = (uint32_t)cred_usage;
    }
    if (!GSSP_ERROR(major) && actual_mechs != nullptr)
        major = gssp_duplicate_oid_set(&m, qxnego_process_state.actual_mechs, actual_mechs);
    if (GSSP_ERROR(major)) {
        gssp_status ignored = 0;
        if (cred->name != nullptr) gssp_release_name(&ignored, &cred->name);
        QXNEGO_release_cred(&ignored, output_cred_handle);
        return qxnego_result(minor, m, GSSP_S_FAILURE);
    }
    if (time_rec != nullptr) *time_rec = time_req;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_release_cred(gssp_status* minor, gssp_cred_id_t* cred_handle) {
    if (cred_handle == nullptr)
        return qxnego_result(minor, QXNEGO_E_NO_CRED, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_NO_CRED);
    if (*cred_handle == nullptr)
        return qxnego_result(minor, QXNEGO_E_NO_CRED, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_NO_CRED);
    NegCredential* cred = (NegCredential*)*cred_handle;
    gssp_status last_major = 0, last_minor = QXNEGO_S_SUCCESS, m = 0, major = 0;
    if (cred->name != nullptr && GSSP_ERROR(major = gssp_release_name(&m, &cred->name))) {
        last_major = major;
        last_minor = m;
    }
    if (cred->mechanisms != nullptr && GSSP_ERROR(major = gssp_release_oid_set(&m, &cred->mechanisms))) {
        last_major = major;
        last_minor = m;
    }
    *cred_handle = nullptr;
    qxnego_free(cred);
    return qxnego_result(minor, last_minor, last_major);
}

extern "C" gssp_status QXNEGO_inquire_cred(gssp_status* minor, gssp_cred_id_t cred_handle, gssp_name_t* name,
                                           uint32_t* lifetime, int* cred_usage, gssp_OID_set* mechanisms) {
    const NegCredential* cred = (const NegCredential*)cred_handle;
    if (cred == nullptr) {
        if (name != nullptr) *name = nullptr;
        if (lifetime != nullptr) *lifetime = 0;
        if (cred_usage != nullptr) *cred_usage = 0;
        if (mechanisms != nullptr) *mechanisms = nullptr;
        return qxnego_result(minor, QXNEGO_E_NO_CRED, GSSP_S_NO_CRED);
    }
    if (lifetime != nullptr) *lifetime = cred->time_req;
    if (cred_usage != nullptr) *cred_usage = (int)cred->cred_usage;
    gssp_status m = 0;
    if (name != nullptr && gssp_duplicate_name(&m, cred->name, name) != 0)
        return qxnego_result(minor, m, GSSP_S_DEFECTIVE_CREDENTIAL);
    if (mechanisms != nullptr && gssp_duplicate_oid_set(&m, cred->mechanisms, mechanisms) != 0) {
        gssp_status ignored = 0;
        if (name != nullptr && *name != nullptr) gssp_release_name(&ignored, name);
        return qxnego_result(minor, m, GSSP_S_DEFECTIVE_CREDENTIAL);
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}
