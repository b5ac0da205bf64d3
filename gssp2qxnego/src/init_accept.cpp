// The two entry points of context establishment. Each call merges the
// peer's token into the context, drives every mechanism still in the race,
// applies the selection rule, encodes the next token and reports whether the
// caller must go on. The first step that fails ends the call; the context
// stays with the caller, who deletes it.
#include "auth_policy.h"
#include "exchange.h"
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_context.h"
#include "neg_mech_list.h"
#include "neg_token.h"
#include "process_state.h"
#include "status_result.h"

namespace {

bool ContinueNeeded(gssp_status major, gssp_status minor) {
    return major == GSSP_S_CONTINUE_NEEDED || minor == QXNEGO_S_CONTINUE_NEEDED;
}

gssp_status CheckHandles(gssp_status* minor, gssp_ctx_id_t* context_handle, gssp_buffer_t output_token) {
    if (context_handle == nullptr)
        return qxnego_result(minor, QXNEGO_E_BAD_CONTEXT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_NO_CONTEXT);
    if (output_token == nullptr)
        return qxnego_result(minor, QXNEGO_E_NULL_BUFFER, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    // A call that returns before encoding hands back no stale token.
    output_token->length = 0;
    output_token->value = nullptr;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

}  // namespace

extern "C" gssp_status QXNEGO_init_sec_context(gssp_status* minor, gssp_cred_id_t claimant_cred_handle,
                                               gssp_ctx_id_t* context_handle, gssp_name_t target_name,
                                               gssp_OID /*mech_type*/, uint32_t req_flags, uint32_t time_req,
                                               gssp_channel_bindings_t input_chan_bindings, gssp_buffer_t input_token,
                                               gssp_OID* actual_mech_type, gssp_buffer_t output_token,
                                               uint32_t* ret_flags, uint32_t* time_rec) {
    if (actual_mech_type != nullptr) *actual_mech_type = qxnego_process_state.own_oid;
    gssp_status major = CheckHandles(minor, context_handle, output_token);
    if (GSSP_ERROR(major)) return major;
    const NegCredential* credential = (const NegCredential*)claimant_cred_handle;
    const bool first = *context_handle == nullptr;
    NegContext* context = nullptr;
    if (first) {
        major = QXNEGO_INT_CreateNegContext(minor, 1, context_handle);
        if (GSSP_ERROR(major)) return major;
        context = (NegContext*)*context_handle;
        major = QXNEGO_INT_Mechs_Acquire_Creds(minor, credential, context);
        if (GSSP_ERROR(major)) return major;
        major = QXNEGO_INT_SetAuthInfo(minor, credential, context);
        if (GSSP_ERROR(major)) return major;
    } else {
        context = (NegContext*)*context_handle;
        ++context->call_counter;
        major = QXNEGO_INT_DecodeNegToken(minor, QXNEGO_TOKEN_RESP, input_token, context);
        if (GSSP_ERROR(major)) return major;
        gssp_status m = 0;
        major = QXNEGO_INT_GetNegResult(&m, context, nullptr, actual_mech_type, ret_flags, time_rec, nullptr);
        if (!ContinueNeeded(major, m)) return qxnego_result(minor, m, major);
    }
    major = QXNEGO_INT_Mechs_Init_Contexts(minor, target_name, req_flags, time_req, input_chan_bindings,
                                           actual_mech_type != nullptr, ret_flags != nullptr, time_rec != nullptr,
                                           context);
    if (GSSP_ERROR(major)) return major;
    major = QXNEGO_INT_SelectMechanism(minor, context);
    if (GSSP_ERROR(major)) return major;
    major = QXNEGO_INT_EncodeNegToken(minor, first ? QXNEGO_TOKEN_INIT : QXNEGO_TOKEN_RESP, context, output_token);
    if (GSSP_ERROR(major)) return major;
    return QXNEGO_INT_GetNegResult(minor, context, nullptr, actual_mech_type, ret_flags, time_rec, nullptr);
}

extern "C" gssp_status QXNEGO_accept_sec_context(gssp_status* minor, gssp_ctx_id_t* context_handle,
                                                 gssp_cred_id_t acceptor_cred_handle, gssp_buffer_t input_token,
                                                 gssp_channel_bindings_t input_chan_bindings, gssp_name_t* src_name,
                                                 gssp_OID* mech_type, gssp_buffer_t output_token, uint32_t* ret_flags,
                                                 uint32_t* time_rec, gssp_cred_id_t* delegated_cred_handle) {
    if (mech_type != nullptr) *mech_type = qxnego_process_state.own_oid;
    gssp_status major = CheckHandles(minor, context_handle, output_token);
    if (GSSP_ERROR(major)) return major;
    const NegCredential* credential = (const NegCredential*)acceptor_cred_handle;
    NegContext* context = nullptr;
    if (*context_handle == nullptr) {
        major = QXNEGO_INT_CreateNegContext(minor, 0, context_handle);
        if (GSSP_ERROR(major)) return major;
        context = (NegContext*)*context_handle;
        major = QXNEGO_INT_DecodeNegToken(minor, QXNEGO_TOKEN_INIT, input_token, context);
        if (GSSP_ERROR(major)) return major;
        major = QXNEGO_INT_Mechs_Acquire_Creds(minor, credential, context);
        if (GSSP_ERROR(major)) return major;
    } else {
        context = (NegContext*)*context_handle;
        ++context->call_counter;
        major = QXNEGO_INT_DecodeNegToken(minor, QXNEGO_TOKEN_RESP, input_token, context);
        if (GSSP_ERROR(major)) return major;
    }
    major = QXNEGO_INT_Apply_Policy_Info(minor, context);
    if (GSSP_ERROR(major)) return major;
    gssp_status m = 0;
    major = QXNEGO_INT_GetNegResult(&m, context, src_name, mech_type, ret_flags, time_rec, delegated_cred_handle);
    if (!ContinueNeeded(major, m)) return qxnego_result(minor, m, major);
    major = QXNEGO_INT_Mechs_Accept_Contexts(minor, input_chan_bindings, src_name != nullptr, mech_type != nullptr,
                                             ret_flags != nullptr, time_rec != nullptr,
                                             delegated_cred_handle != nullptr, context);
    if (GSSP_ERROR(major)) return major;
    major = QXNEGO_INT_SelectMechanism(minor, context);
    if (GSSP_ERROR(major)) return major;
    major = QXNEGO_INT_EncodeNegToken(minor, QXNEGO_TOKEN_RESP, context, output_token);
    if (GSSP_ERROR(major)) return major;
    return QXNEGO_INT_GetNegResult(minor, context, src_name, mech_type, ret_flags, time_rec, delegated_cred_handle);
}
