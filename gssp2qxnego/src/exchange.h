/* The steps of the context-establishment exchange that drive the
 * negotiated mechanisms: acquiring their credentials, running their init or
 * accept calls, and the result of the negotiation so far. */
#ifndef QXNEGO_EXCHANGE_H
#define QXNEGO_EXCHANGE_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

gssp_status QXNEGO_INT_Mechs_Acquire_Creds(gssp_status* minor, const NegCredential* credential, NegContext* context);

gssp_status QXNEGO_INT_Mechs_Init_Contexts(gssp_status* minor, gssp_name_t target_name, uint32_t req_flags,
                                           uint32_t time_req, gssp_channel_bindings_t input_chan_bindings,
                                           int want_actual_mech, int want_ret_flags, int want_time_rec,
                                           NegContext* context);

gssp_status QXNEGO_INT_Mechs_Accept_Contexts(gssp_status* minor, gssp_channel_bindings_t input_chan_bindings,
                                             int want_src_name, int want_mech_type, int want_ret_flags,
                                             int want_time_rec, int want_delegated_cred, NegContext* context);

/* Any output may be null. */
gssp_status QXNEGO_INT_GetNegResult(gssp_status* minor, NegContext* context, gssp_name_t* src_name,
                                    gssp_OID* actual_mech, uint32_t* ret_flags, uint32_t* time_rec,
                                    gssp_cred_id_t* delegated_cred);

#ifdef __cplusplus
}
#endif

#endif
