// The application interface: each call finds the mechanism's entry point in
// the table and hands it the mechanism's own handle.
#include "qxgss/application.h"

#include <cstdlib>

#include "memory.hpp"
#include "status.hpp"

using namespace qxgss;

struct qxgss_credential {
    uint32_t mech;
    gssp_cred_id_t handle;
};

struct qxgss_context {
    uint32_t mech;
    gssp_ctx_id_t handle;
};

namespace {

// The enabled mechanism of the OID, or a failure status.
gssp_status Find(gssp_status* minor, gssp_OID oid, uint32_t* index) {
    if (!oid) return Fail(minor, kBadArgument, GSSP_S_BAD_MECH);
    uint32_t at = GSSP_NO_MECH_INDEX;
    if (GSSP_ERROR(gssp_oid_to_mechindex(nullptr, oid, &at)) || at >= MechCount || !pMechInfo[at].enabled)
        return Fail(minor, kUnknownMechanism, GSSP_S_BAD_MECH);
    *index = at;
    return GSSP_S_COMPLETE;
}

const gssp_mech_info* Mech(uint32_t index) { return index < MechCount ? &pMechInfo[index] : nullptr; }

gssp_status Unavailable(gssp_status* minor) { return Fail(minor, kUnavailable, GSSP_S_UNAVAILABLE); }

gssp_status NoContext(gssp_status* minor) {
    return Fail(minor, kBadArgument, GSSP_S_NO_CONTEXT | GSSP_S_CALL_INACCESSIBLE_READ);
}

enum class Leg { kInit, kAccept };

// The mechanism of an init or accept call: the context's own once it
// exists, else the enabled mechanism of the OID, for which the first call
// makes the record. The credential must belong to the same mechanism.
gssp_status OpenContext(gssp_status* minor, qxgss_ctx_t* context, gssp_OID mechanism, qxgss_cred_t cred,
                        gssp_buffer_t output_token, Leg leg, const gssp_mech_info** mech) {
    if (!context || !output_token) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE);
    uint32_t index = 0;
    if (*context) {
        index = (*context)->mech;
    } else {
        const gssp_status major = Find(minor, mechanism, &index);
        if (GSSP_ERROR(major)) return major;
    }
    if (cred && cred->mech != index) return Fail(minor, kBadArgument, GSSP_S_NO_CRED);
    const gssp_mech_info* m = Mech(index);
    if (!m || !(leg == Leg::kInit ? m->init_sec_context != nullptr : m->accept_sec_context != nullptr))
        return Unavailable(minor);
    if (!*context) {
        *context = static_cast<qxgss_context*>(Calloc(1, sizeof(qxgss_context)));
        if (!*context) return Fail(minor, kNoMemory);
        (*context)->mech = index;
    }
    *mech = m;
    return GSSP_S_COMPLETE;
}

}  // namespace

extern "C" {

QXGSS_API gssp_OID qxgss_context_mechanism(qxgss_ctx_t context) {
    if (!context || context->mech >= MechCount) return nullptr;
    gssp_OID oid = nullptr;
    return GSSP_ERROR(gssp_mechstr_to_oid(nullptr, pMechInfo[context->mech].name, &oid)) ? nullptr : oid;
}

QXGSS_API gssp_ctx_id_t qxgss_context_handle(qxgss_ctx_t context) { return context ? context->handle : nullptr; }

QXGSS_API gssp_status qxgss_acquire_cred(gssp_status* minor, gssp_OID mechanism, gssp_name_t desired_name,
                                         uint32_t time_req, int cred_usage, qxgss_cred_t* cred) {
    if (!cred) return Fail(minor, kBadArgument, GSSP_S_NO_CRED | GSSP_S_CALL_INACCESSIBLE_WRITE);
    *cred = nullptr;
    uint32_t index = 0;
    gssp_status major = Find(minor, mechanism, &index);
    if (GSSP_ERROR(major)) return major;
    const gssp_mech_info* m = Mech(index);
    if (!m->acquire_cred) return Unavailable(minor);
    auto* record = static_cast<qxgss_credential*>(Calloc(1, sizeof(qxgss_credential)));
    if (!record) return Fail(minor, kNoMemory);
    gssp_OID_set_desc wanted = {1, mechanism};
    major = m->acquire_cred(minor, desired_name, time_req, &wanted, cred_usage, &record->handle, nullptr, nullptr);
    if (GSSP_ERROR(major)) {
        std::free(record);
        return major;
    }
    record->mech = index;
    *cred = record;
    return major;
}

QXGSS_API gssp_status qxgss_release_cred(gssp_status* minor, qxgss_cred_t* cred) {
    if (!cred || !*cred) return Fail(minor, kBadArgument, GSSP_S_NO_CRED | GSSP_S_CALL_INACCESSIBLE_READ);
    const gssp_mech_info* m = Mech((*cred)->mech);
    gssp_status major = Ok(minor);
    if (m && m->release_cred && (*cred)->handle) major = m->release_cred(minor, &(*cred)->handle);
    std::free(*cred);
    *cred = nullptr;
    return major;
}

QXGSS_API gssp_status qxgss_init_sec_context(gssp_status* minor, qxgss_cred_t cred, qxgss_ctx_t* context,
                                             gssp_OID mechanism, gssp_name_t target_name, uint32_t req_flags,
                                             gssp_buffer_t input_token, gssp_buffer_t output_token,
                                             gssp_OID* actual_mech, uint32_t* ret_flags) {
    const gssp_mech_info* m = nullptr;
    const gssp_status major = OpenContext(minor, context, mechanism, cred, output_token, Leg::kInit, &m);
    if (GSSP_ERROR(major)) return major;
    gssp_buffer_desc empty = {0, nullptr};
    return m->init_sec_context(minor, cred ? cred->handle : nullptr, &(*context)->handle, target_name, mechanism,
                               req_flags, 0, nullptr, input_token ? input_token : &empty, actual_mech, output_token,
                               ret_flags, nullptr);
}

QXGSS_API gssp_status qxgss_accept_sec_context(gssp_status* minor, qxgss_ctx_t* context, gssp_OID mechanism,
                                               qxgss_cred_t cred, gssp_buffer_t input_token, gssp_name_t* src_name,
                                               gssp_buffer_t output_token, gssp_OID* mech_type, uint32_t* ret_flags) {
    const gssp_mech_info* m = nullptr;
    const gssp_status major = OpenContext(minor, context, mechanism, cred, output_token, Leg::kAccept, &m);
    if (GSSP_ERROR(major)) return major;
    return m->accept_sec_context(minor, &(*context)->handle, cred ? cred->handle : nullptr, input_token, nullptr,
                                 src_name, mech_type, output_token, ret_flags, nullptr, nullptr);
}

QXGSS_API gssp_status qxgss_delete_sec_context(gssp_status* minor, qxgss_ctx_t* context) {
    if (!context || !*context) return NoContext(minor);
    const gssp_mech_info* m = Mech((*context)->mech);
    gssp_status major = Ok(minor);
    if (m && m->delete_sec_context && (*context)->handle)
        major = m->delete_sec_context(minor, &(*context)->handle, nullptr);
    std::free(*context);
    *context = nullptr;
    return major;
}

QXGSS_API gssp_status qxgss_inquire_context(gssp_status* minor, qxgss_ctx_t context, gssp_name_t* src_name,
                                            gssp_OID* mech_type, uint32_t* ctx_flags, int* open) {
    if (!context) return NoContext(minor);
    const gssp_mech_info* m = Mech(context->mech);
    if (!m || !m->inquire_context) return Unavailable(minor);
    return m->inquire_context(minor, context->handle, src_name, nullptr, nullptr, mech_type, ctx_flags, nullptr, open);
}

QXGSS_API gssp_status qxgss_wrap(gssp_status* minor, qxgss_ctx_t context, int conf_req, gssp_buffer_t input,
                                 int* conf_state, gssp_buffer_t output) {
    if (!context) return NoContext(minor);
    const gssp_mech_info* m = Mech(context->mech);
    if (!m || !m->wrap) return Unavailable(minor);
    return m->wrap(minor, context->handle, conf_req, 0, input, conf_state, output);
}

QXGSS_API gssp_status qxgss_unwrap(gssp_status* minor, qxgss_ctx_t context, gssp_buffer_t input,
                                   gssp_buffer_t output, int* conf_state) {
    if (!context) return NoContext(minor);
    const gssp_mech_info* m = Mech(context->mech);
    if (!m || !m->unwrap) return Unavailable(minor);
    uint32_t qop = 0;
    return m->unwrap(minor, context->handle, input, output, conf_state, &qop);
}

QXGSS_API gssp_status qxgss_get_mic(gssp_status* minor, qxgss_ctx_t context, gssp_buffer_t message,
                                    gssp_buffer_t token) {
    if (!context) return NoContext(minor);
    const gssp_mech_info* m = Mech(context->mech);
    if (!m || !m->get_mic) return Unavailable(minor);
    return m->get_mic(minor, context->handle, 0, message, token);
}

QXGSS_API gssp_status qxgss_verify_mic(gssp_status* minor, qxgss_ctx_t context, gssp_buffer_t message,
                                       gssp_buffer_t token) {
    if (!context) return NoContext(minor);
    const gssp_mech_info* m = Mech(context->mech);
    if (!m || !m->verify_mic) return Unavailable(minor);
    uint32_t qop = 0;
    return m->verify_mic(minor, context->handle, message, token, &qop);
}

QXGSS_API gssp_status qxgss_inquire_properties_for_user(gssp_status* minor, qxgss_ctx_t context,
                                                        gssp_buffer_t properties) {
    if (!context) return NoContext(minor);
    const gssp_mech_info* m = Mech(context->mech);
    if (!m || !m->inquire_properties_for_user) return Unavailable(minor);
    return m->inquire_properties_for_user(minor, context->handle, properties);
}

}  // extern "C"
