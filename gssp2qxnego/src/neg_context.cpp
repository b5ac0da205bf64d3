// The negotiating mechanism's context: creation on the first init or accept
// call, deletion, and what the application may ask of it.
#include "neg_context.h"

#include <cstring>
#include <initializer_list>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_log.h"
#include "neg_mech_list.h"
#include "plugin_memory.h"
#include "process_state.h"
#include "status_result.h"

namespace {

// Keeps the last failing step's status while the others still run.
struct LastFailure {
    gssp_status major = 0;
    gssp_status minor = QXNEGO_S_SUCCESS;
    void note(gssp_status step_major, gssp_status step_minor) {
        if (GSSP_ERROR(step_major)) {
            major = step_major;
            minor = step_minor;
        }
    }
};

}  // namespace

extern "C" gssp_status QXNEGO_INT_CreateNegContext(gssp_status* minor, uint32_t IsInitiator,
                                                   gssp_ctx_id_t* context_handle) {
    if (context_handle == nullptr)
        return qxnego_result(minor, QXNEGO_E_BAD_CONTEXT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_NO_CONTEXT);
    if (*context_handle != nullptr) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    NegContext* context = (NegContext*)qxnego_calloc(1, sizeof(NegContext));
    if (context == nullptr) return qxnego_result(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    context->IsInitiator = IsInitiator;
    context->call_counter = 0;
    context->NegState = QXNEGO_NEG_STATE_INCOMPLETE;
    context->NegStateFromPeer = QXNEGO_NEG_STATE_INCOMPLETE;
    context->selected_mech_index = -1;
    context->selected_entry_index = -1;

    gssp_status m = 0;
    gssp_status major = QXNEGO_INT_InitNegLog(&m, context);
    if (!GSSP_ERROR(major))
        major = QXNEGO_INT_GetNegMechList(&m, &qxnego_process_state.mech_list, &context->mech_list, context);
    if (GSSP_ERROR(major)) {
        gssp_ctx_id_t half_built = context;
        gssp_status ignored = 0;
        QXNEGO_delete_sec_context(&ignored, &half_built, nullptr);
        return qxnego_result(minor, m, major);
    }
    *context_handle = context;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_DeleteNegContext(gssp_status* minor, NegContext* context) {
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    LastFailure last;
    gssp_status m = 0;
    for (gssp_buffer_desc* b : {&context->authentication_id, &context->user, &context->profile}) {
        if (b->value != nullptr) last.note(gssp_release_buffer(&m, b), m);
        b->length = 0;
        b->value = nullptr;
    }
    last.note(QXNEGO_INT_ReleaseNegMechList(&m, &context->mech_list), m);
    if (context->log.records != nullptr) last.note(QXNEGO_INT_ReleaseNegLog(&m, context), m);
    return qxnego_result(minor, last.minor, last.major);
}

extern "C" gssp_status QXNEGO_delete_sec_context(gssp_status* minor, gssp_ctx_id_t* context_handle,
                                                 gssp_buffer_t output_token) {
    if (context_handle == nullptr)
        return qxnego_result(minor, QXNEGO_E_BAD_CONTEXT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_NO_CONTEXT);
    if (*context_handle == nullptr)
        return qxnego_result(minor, QXNEGO_E_BAD_CONTEXT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_NO_CONTEXT);
    NegContext* context = (NegContext*)*context_handle;
    gssp_status m = 0;
    const gssp_status major = QXNEGO_INT_DeleteNegContext(&m, context);
    if (context->user_properties.value != nullptr) {
        gssp_status ignored = 0;
        gssp_release_secure_buffer(&ignored, &context->user_properties);
    }
    qxnego_free(context);
    if (output_token != nullptr) {
        output_token->length = 0;
        output_token->value = nullptr;
    }
    *context_handle = nullptr;
    return GSSP_ERROR(major) ? qxnego_result(minor, m, major) : qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_inquire_context(gssp_status* minor, gssp_ctx_id_t context_handle, gssp_name_t* src_name,
                                              gssp_name_t* targ_name, uint32_t* lifetime_rec, gssp_OID* mech_type,
                                              uint32_t* ctx_flags, int* locally_initiated, int* open) {
    const NegContext* context = (const NegContext*)context_handle;
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_NO_CONTEXT);
    if (context->NegState == QXNEGO_NEG_STATE_COMPLETED) {
        if (context->selected_mech_index < 0 || (uint32_t)context->selected_mech_index >= MechCount ||
            context->selected_entry_index < 0 || (uint32_t)context->selected_entry_index >= context->mech_list.count)
            return qxnego_result(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_FAILURE);
        const gssp_inquire_context_fn inquire = pMechInfo[context->selected_mech_index].inquire_context;
        if (inquire == nullptr) return qxnego_result(minor, QXNEGO_E_NOT_IMPLEMENTED, GSSP_S_FAILURE);
        gssp_status m = 0;
        const gssp_status major = inquire(&m, context->mech_list.entries[context->selected_entry_index].context,
                                          src_name, targ_name, lifetime_rec, mech_type, ctx_flags, locally_initiated,
                                          open);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
        return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    }
    if (lifetime_rec != nullptr) *lifetime_rec = GSSP_C_INDEFINITE;
    if (mech_type != nullptr) *mech_type = qxnego_process_state.own_oid;
    if (ctx_flags != nullptr) *ctx_flags = 0x30;
    if (locally_initiated != nullptr) *locally_initiated = context->IsInitiator != 0 ? 1 : 0;
    if (open != nullptr) *open = 0;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}
