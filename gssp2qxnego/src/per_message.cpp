// The per-message calls: once the negotiation is Completed, each is handed,
// unchanged, to the selected mechanism's own entry point with that
// mechanism's context. QXNEGO adds nothing to the messages.
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_mech.h"
#include "status_result.h"

namespace {

// The selected mechanism's table entry and context of a Completed context,
// or null when the context is not Completed or its selection lies outside
// the framework's table or the context's list.
const gssp_mech_info* Selected(const NegContext* context, gssp_ctx_id_t* mech_context) {
    if (context->NegState != QXNEGO_NEG_STATE_COMPLETED) return nullptr;
    const int32_t mech = context->selected_mech_index;
    const int32_t entry = context->selected_entry_index;
    if (mech < 0 || (uint32_t)mech >= MechCount || pMechInfo == nullptr) return nullptr;
    if (entry < 0 || (uint32_t)entry >= context->mech_list.count || context->mech_list.entries == nullptr)
        return nullptr;
    *mech_context = context->mech_list.entries[entry].context;
    return &pMechInfo[mech];
}

bool HasBytes(const gssp_buffer_desc* buffer) {
    return buffer != nullptr && buffer->length != 0 && buffer->value != nullptr;
}

void SetEmpty(gssp_buffer_t buffer) {
    buffer->length = 0;
    buffer->value = nullptr;
}

// The checks every delegated call makes, in order, after its outputs are
// cleared: the context, the input buffers (verify_mic has two), then the
// selection. On success *target and *mech_context name the destination.
gssp_status CheckDelegation(gssp_status* minor, gssp_ctx_id_t context_handle, const gssp_buffer_desc* input,
                            bool has_second_input, const gssp_buffer_desc* second_input,
                            const gssp_mech_info** target, gssp_ctx_id_t* mech_context) {
    const NegContext* context = (const NegContext*)context_handle;
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_BAD_CONTEXT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_NO_CONTEXT);
    if (!HasBytes(input) || (has_second_input && !HasBytes(second_input)))
        return qxnego_result(minor, QXNEGO_E_NULL_MESSAGE_TOKEN, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    *target = Selected(context, mech_context);
    if (*target == nullptr) return qxnego_result(minor, QXNEGO_E_MECH_UNAVAILABLE, GSSP_S_FAILURE);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

gssp_status Unavailable(gssp_status* minor) {
    return qxnego_result(minor, QXGSS_MINOR_UNAVAILABLE, GSSP_S_UNAVAILABLE);
}

}  // namespace

extern "C" gssp_status QXNEGO_wrap_size_limit(gssp_status* minor, gssp_ctx_id_t context_handle, int conf_req_flag,
                                              uint32_t qop_req, uint32_t req_output_size, uint32_t* max_input_size) {
    if (max_input_size != nullptr) *max_input_size = 0;
    const NegContext* context = (const NegContext*)context_handle;
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_NO_CONTEXT);
    if (max_input_size == nullptr) return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE);
    if (context->NegState != QXNEGO_NEG_STATE_COMPLETED)
        return qxnego_result(minor, QXNEGO_E_CONTEXT_NOT_READY, GSSP_S_NO_CONTEXT);
    gssp_ctx_id_t mech_context = nullptr;
    const gssp_mech_info* target = Selected(context, &mech_context);
    if (target == nullptr) return qxnego_result(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_FAILURE);
    if (target->wrap_size_limit == nullptr) return qxnego_result(minor, QXNEGO_E_NOT_IMPLEMENTED, GSSP_S_FAILURE);
    gssp_status m = 0;
    const gssp_status major =
        target->wrap_size_limit(&m, mech_context, conf_req_flag, qop_req, req_output_size, max_input_size);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_wrap(gssp_status* minor, gssp_ctx_id_t context_handle, int conf_req_flag,
                                   uint32_t qop_req, gssp_buffer_t input_message, int* conf_state,
                                   gssp_buffer_t output_message) {
    if (conf_state != nullptr) *conf_state = 0;
    if (output_message == nullptr)
        return qxnego_result(minor, QXNEGO_E_NULL_BUFFER, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    SetEmpty(output_message);
    const gssp_mech_info* target = nullptr;
    gssp_ctx_id_t mech_context = nullptr;
    gssp_status major = CheckDelegation(minor, context_handle, input_message, false, nullptr, &target, &mech_context);
    if (GSSP_ERROR(major)) return major;
    if (target->wrap == nullptr) return Unavailable(minor);
    gssp_status m = 0;
    major = target->wrap(&m, mech_context, conf_req_flag, qop_req, input_message, conf_state, output_message);
    return qxnego_result(minor, m, major);
}

extern "C" gssp_status QXNEGO_unwrap(gssp_status* minor, gssp_ctx_id_t context_handle, gssp_buffer_t input_message,
                                     gssp_buffer_t output_message, int* conf_state, uint32_t* qop_state) {
    if (conf_state != nullptr) *conf_state = 0;
    if (qop_state != nullptr) *qop_state = 0;
    if (output_message == nullptr)
        return qxnego_result(minor, QXNEGO_E_NULL_BUFFER, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    SetEmpty(output_message);
    const gssp_mech_info* target = nullptr;
    gssp_ctx_id_t mech_context = nullptr;
    gssp_status major = CheckDelegation(minor, context_handle, input_message, false, nullptr, &target, &mech_context);
    if (GSSP_ERROR(major)) return major;
    if (target->unwrap == nullptr) return Unavailable(minor);
    gssp_status m = 0;
    major = target->unwrap(&m, mech_context, input_message, output_message, conf_state, qop_state);
    return qxnego_result(minor, m, major);
}

extern "C" gssp_status QXNEGO_get_mic(gssp_status* minor, gssp_ctx_id_t context_handle, uint32_t qop_req,
                                      gssp_buffer_t message, gssp_buffer_t message_token) {
    if (message_token == nullptr)
        return qxnego_result(minor, QXNEGO_E_NULL_BUFFER, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    SetEmpty(message_token);
    const gssp_mech_info* target = nullptr;
    gssp_ctx_id_t mech_context = nullptr;
    gssp_status major = CheckDelegation(minor, context_handle, message, false, nullptr, &target, &mech_context);
    if (GSSP_ERROR(major)) return major;
    if (target->get_mic == nullptr) return Unavailable(minor);
    gssp_status m = 0;
    major = target->get_mic(&m, mech_context, qop_req, message, message_token);
    return qxnego_result(minor, m, major);
}

extern "C" gssp_status QXNEGO_verify_mic(gssp_status* minor, gssp_ctx_id_t context_handle, gssp_buffer_t message,
                                         gssp_buffer_t token, uint32_t* qop_state) {
    if (qop_state != nullptr) *qop_state = 0;
    const gssp_mech_info* target = nullptr;
    gssp_ctx_id_t mech_context = nullptr;
    gssp_status major = CheckDelegation(minor, context_handle, message, true, token, &target, &mech_context);
    if (GSSP_ERROR(major)) return major;
    if (target->verify_mic == nullptr) return Unavailable(minor);
    gssp_status m = 0;
    major = target->verify_mic(&m, mech_context, message, token, qop_state);
    return qxnego_result(minor, m, major);
}
