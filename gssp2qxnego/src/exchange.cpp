// The steps of the exchange that drive the negotiated mechanisms: their
// credentials, their own init or accept calls (all still in the race run in
// the same leg), and the negotiation's result so far. A mechanism that fails
// only leaves the race; the call goes on with the others.
#include "exchange.h"

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_log.h"
#include "neg_mech_list.h"
#include "process_state.h"
#include "status_result.h"

namespace {

const gssp_mech_info* MechanismOf(const NegMechEntry& e) {
    if (e.mech_index < 0 || (uint32_t)e.mech_index >= MechCount || pMechInfo == nullptr) return nullptr;
    return &pMechInfo[e.mech_index];
}

gssp_status CheckList(gssp_status* minor, const NegContext* context) {
    if (context == nullptr) return qxnego_result(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_FAILURE);
    if (context->mech_list.entries == nullptr) return qxnego_result(minor, QXNEGO_E_MECH_LIST_EMPTY, GSSP_S_FAILURE);
    if (context->mech_list.count == 0) return qxnego_result(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Takes a failed mechanism out of the race: Rejected for a GSS-API error,
// with the failing call's status and the mechanism's own text for it, and a
// log record. Only a failure to record the change fails the caller.
gssp_status Reject(gssp_status* minor, NegMechEntry* e, const gssp_mech_info* mech, gssp_status failed_major,
                   gssp_status failed_minor, const char* log_text, NegContext* context) {
    gssp_buffer_desc text = {0, nullptr};
    if (mech != nullptr && mech->display_status != nullptr) {
        gssp_status m = 0;
        uint32_t message_context = 0;
        if (GSSP_ERROR(mech->display_status(&m, failed_minor, GSSP_C_MECH_CODE, e->oid, &message_context, &text))) {
            gssp_status ignored = 0;
            if (text.value != nullptr) gssp_release_buffer(&ignored, &text);
            text.length = 0;
            text.value = nullptr;
        }
    }
    gssp_status m = 0;
    gssp_status major = QXNEGO_INT_SetMechState(&m, QXNEGO_MECH_STATE_REJECTED, QXNEGO_MECH_REASON_GSSAPI_ERROR,
                                                failed_major, failed_minor, &text, e);
    gssp_status ignored = 0;
    if (text.value != nullptr) gssp_release_buffer(&ignored, &text);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    return QXNEGO_INT_NegLogEntry(minor, log_text, e, context);
}

struct LegTexts {
    const char* failed;
    const char* continued;
    const char* established;
};
const LegTexts kInitTexts = {QXNEGO_LOG_INIT_FAILED, QXNEGO_LOG_INIT_CONTINUE, QXNEGO_LOG_INIT_ESTABLISHED};
const LegTexts kAcceptTexts = {QXNEGO_LOG_ACCEPT_FAILED, QXNEGO_LOG_ACCEPT_CONTINUE, QXNEGO_LOG_ACCEPT_ESTABLISHED};

// One leg for one mechanism: the outcome of its init or accept call.
gssp_status AfterLeg(gssp_status* minor, NegMechEntry* e, const gssp_mech_info* mech, gssp_status leg_major,
                     gssp_status leg_minor, const LegTexts& texts, NegContext* context) {
    if (GSSP_ERROR(leg_major)) {
        if (e->context != nullptr && mech != nullptr && mech->delete_sec_context != nullptr) {
            gssp_status m = 0;
            const gssp_status major = mech->delete_sec_context(&m, &e->context, nullptr);
            if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
            e->context = nullptr;
        }
        return Reject(minor, e, mech, leg_major, leg_minor, texts.failed, context);
    }
    if ((leg_major & GSSP_S_CONTINUE_NEEDED) != 0) return QXNEGO_INT_NegLogEntry(minor, texts.continued, e, context);
    e->IsCtxEstablished = 1;
    return QXNEGO_INT_NegLogEntry(minor, texts.established, e, context);
}

bool InRace(const NegMechEntry& e) {
    return e.MechState != QXNEGO_MECH_STATE_REJECTED && e.IsCtxEstablished == 0;
}

void ReleaseOutputToken(NegMechEntry* e) {
    gssp_status ignored = 0;
    if (e->output_token.value != nullptr) gssp_release_buffer(&ignored, &e->output_token);
    e->output_token.length = 0;
    e->output_token.value = nullptr;
}

}  // namespace

extern "C" gssp_status QXNEGO_INT_Mechs_Acquire_Creds(gssp_status* minor, const NegCredential* credential,
                                                      NegContext* context) {
    gssp_status major = CheckList(minor, context);
    if (GSSP_ERROR(major)) return major;
    if (!context->IsInitiator && credential == nullptr) {
        major = QXNEGO_INT_NegLogEntry(minor, QXNEGO_LOG_ACQUIRE_NOT_NEEDED, nullptr, context);
        if (GSSP_ERROR(major)) return major;
        return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    }
    for (uint32_t k = 0; k < context->mech_list.count; ++k) {
        NegMechEntry* e = &context->mech_list.entries[k];
        if (e->MechState != QXNEGO_MECH_STATE_AVAILABLE) continue;
        const gssp_mech_info* mech = MechanismOf(*e);
        gssp_status m = 0;
        gssp_OID_set wanted = nullptr;
        gssp_status step = gssp_create_empty_oid_set(&m, &wanted);
        if (!GSSP_ERROR(step)) step = gssp_add_oid_set_member(&m, e->oid, &wanted);
        if (!GSSP_ERROR(step)) {
            if (mech == nullptr || mech->acquire_cred == nullptr) {
                step = GSSP_S_UNAVAILABLE;
                m = QXGSS_MINOR_UNAVAILABLE;
            } else if (credential != nullptr) {
                step = mech->acquire_cred(&m, credential->name, credential->time_req, wanted,
                                          (int)credential->cred_usage, &e->credential, nullptr, nullptr);
            } else {
                step = mech->acquire_cred(&m, nullptr, GSSP_C_INDEFINITE, wanted, GSSP_C_INITIATE, &e->credential,
                                          nullptr, nullptr);
            }
        }
        if (wanted != nullptr) {
            gssp_status ignored = 0;
            gssp_release_oid_set(&ignored, &wanted);
        }
        if (GSSP_ERROR(step)) {
            e->credential = nullptr;
            major = Reject(minor, e, mech, step, m, QXNEGO_LOG_ACQUIRE_FAILED, context);
        } else {
            major = QXNEGO_INT_NegLogEntry(minor, QXNEGO_LOG_ACQUIRE_SUCCEEDED, e, context);
        }
        if (GSSP_ERROR(major)) return major;
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_Mechs_Init_Contexts(gssp_status* minor, gssp_name_t target_name, uint32_t req_flags,
                                                      uint32_t time_req, gssp_channel_bindings_t input_chan_bindings,
                                                      int want_actual_mech, int want_ret_flags, int want_time_rec,
                                                      NegContext* context) {
    gssp_status major = CheckList(minor, context);
    if (GSSP_ERROR(major)) return major;
    for (uint32_t k = 0; k < context->mech_list.count; ++k) {
        NegMechEntry* e = &context->mech_list.entries[k];
        if (!InRace(*e)) continue;
        const gssp_mech_info* mech = MechanismOf(*e);
        gssp_status m = QXGSS_MINOR_UNAVAILABLE;
        gssp_status leg = GSSP_S_UNAVAILABLE;
        if (mech != nullptr && mech->init_sec_context != nullptr) {
            ReleaseOutputToken(e);
            leg = mech->init_sec_context(&m, e->credential, &e->context, target_name, e->oid, req_flags, time_req,
                                         input_chan_bindings, &e->input_token,
                                         want_actual_mech ? &e->actual_mech : nullptr, &e->output_token,
                                         want_ret_flags ? &e->ret_flags : nullptr,
                                         want_time_rec ? &e->time_rec : nullptr);
        }
        major = AfterLeg(minor, e, mech, leg, m, kInitTexts, context);
        if (GSSP_ERROR(major)) return major;
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_Mechs_Accept_Contexts(gssp_status* minor, gssp_channel_bindings_t input_chan_bindings,
                                                        int want_src_name, int want_mech_type, int want_ret_flags,
                                                        int want_time_rec, int want_delegated_cred,
                                                        NegContext* context) {
    gssp_status major = CheckList(minor, context);
    if (GSSP_ERROR(major)) return major;
    for (uint32_t k = 0; k < context->mech_list.count; ++k) {
        NegMechEntry* e = &context->mech_list.entries[k];
        if (!InRace(*e)) continue;
        const gssp_mech_info* mech = MechanismOf(*e);
        gssp_status m = QXGSS_MINOR_UNAVAILABLE;
        gssp_status leg = GSSP_S_UNAVAILABLE;
        if (mech != nullptr && mech->accept_sec_context != nullptr) {
            ReleaseOutputToken(e);
            // A name or credential left from an earlier leg is given back
            // before the mechanism may hand out a new one.
            gssp_status ignored = 0;
            if (want_src_name && e->src_name != nullptr) {
                if (mech->release_name != nullptr) mech->release_name(&ignored, &e->src_name);
                e->src_name = nullptr;
            }
            if (want_delegated_cred && e->delegated_cred != nullptr) {
                if (mech->release_cred != nullptr) mech->release_cred(&ignored, &e->delegated_cred);
                e->delegated_cred = nullptr;
            }
            leg = mech->accept_sec_context(&m, &e->context, e->credential, &e->input_token, input_chan_bindings,
                                           want_src_name ? &e->src_name : nullptr,
                                           want_mech_type ? &e->actual_mech : nullptr, &e->output_token,
                                           want_ret_flags ? &e->ret_flags : nullptr,
                                           want_time_rec ? &e->time_rec : nullptr,
                                           want_delegated_cred ? &e->delegated_cred : nullptr);
        }
        major = AfterLeg(minor, e, mech, leg, m, kAcceptTexts, context);
        if (GSSP_ERROR(major)) return major;
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_GetNegResult(gssp_status* minor, NegContext* context, gssp_name_t* src_name,
                                               gssp_OID* actual_mech, uint32_t* ret_flags, uint32_t* time_rec,
                                               gssp_cred_id_t* delegated_cred) {
    if (src_name != nullptr) *src_name = nullptr;
    if (actual_mech != nullptr) *actual_mech = qxnego_process_state.own_oid;
    if (ret_flags != nullptr) *ret_flags = 0;
    if (time_rec != nullptr) *time_rec = 0;
    if (delegated_cred != nullptr) *delegated_cred = nullptr;
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    gssp_status major = CheckList(minor, context);
    if (GSSP_ERROR(major)) return major;
    switch (context->NegState) {
    case QXNEGO_NEG_STATE_COMPLETED: {
        const int32_t at = context->selected_entry_index;
        if (at < 0 || (uint32_t)at >= context->mech_list.count ||
            context->mech_list.entries[at].MechState != QXNEGO_MECH_STATE_SELECTED)
            return qxnego_result(minor, QXNEGO_E_COMPLETED_WITHOUT_MECH, GSSP_S_FAILURE);
        NegMechEntry* e = &context->mech_list.entries[at];
        if (src_name != nullptr) {
            gssp_status m = 0;
            major = gssp_duplicate_name(&m, (const gssp_name_desc*)e->src_name, src_name);
            if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
        }
        if (actual_mech != nullptr) *actual_mech = e->actual_mech;
        if (ret_flags != nullptr) *ret_flags = e->ret_flags;
        if (time_rec != nullptr) *time_rec = e->time_rec;
        if (delegated_cred != nullptr) {
            *delegated_cred = e->delegated_cred;
            e->delegated_cred = nullptr;
        }
        return qxnego_result(minor, QXNEGO_S_SUCCESS, GSSP_S_COMPLETE);
    }
    case QXNEGO_NEG_STATE_INCOMPLETE:
        return qxnego_result(minor, QXNEGO_S_CONTINUE_NEEDED, GSSP_S_CONTINUE_NEEDED);
    case QXNEGO_NEG_STATE_REJECT:
        return qxnego_result(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    case QXNEGO_NEG_STATE_REQUEST_MIC:
        return qxnego_result(minor, QXNEGO_E_UNSUPPORTED_NEG_STATE, GSSP_S_FAILURE);
    default:
        return qxnego_result(minor, QXNEGO_E_BAD_NEG_STATE, GSSP_S_FAILURE);
    }
}
