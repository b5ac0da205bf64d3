// The adapter's implementation of each entry point; src/exports.cpp exports
// them under the prefix QXKRB5. Credentials and contexts handed to the
// framework are the library's own handles.
#pragma once

#include "qxgss_services.h"

namespace qxkrb5 {

gssp_status AcquireCred(gssp_status* minor, gssp_name_t desired_name, uint32_t time_req, gssp_OID_set desired_mechs,
                        int cred_usage, gssp_cred_id_t* output_cred, gssp_OID_set* actual_mechs, uint32_t* time_rec);
gssp_status ReleaseCred(gssp_status* minor, gssp_cred_id_t* cred);
gssp_status InquireCred(gssp_status* minor, gssp_cred_id_t cred, gssp_name_t* name, uint32_t* lifetime,
                        int* cred_usage, gssp_OID_set* mechanisms);
gssp_status InitSecContext(gssp_status* minor, gssp_cred_id_t claimant_cred, gssp_ctx_id_t* context,
                           gssp_name_t target_name, gssp_OID mech_type, uint32_t req_flags, uint32_t time_req,
                           gssp_channel_bindings_t bindings, gssp_buffer_t input_token, gssp_OID* actual_mech_type,
                           gssp_buffer_t output_token, uint32_t* ret_flags, uint32_t* time_rec);
gssp_status AcceptSecContext(gssp_status* minor, gssp_ctx_id_t* context, gssp_cred_id_t acceptor_cred,
                             gssp_buffer_t input_token, gssp_channel_bindings_t bindings, gssp_name_t* src_name,
                             gssp_OID* mech_type, gssp_buffer_t output_token, uint32_t* ret_flags,
                             uint32_t* time_rec, gssp_cred_id_t* delegated_cred);
gssp_status DeleteSecContext(gssp_status* minor, gssp_ctx_id_t* context, gssp_buffer_t output_token);
gssp_status InquireContext(gssp_status* minor, gssp_ctx_id_t context, gssp_name_t* src_name, gssp_name_t* targ_name,
                           uint32_t* lifetime_rec, gssp_OID* mech_type, uint32_t* ctx_flags, int* locally_initiated,
                           int* open);
gssp_status WrapSizeLimit(gssp_status* minor, gssp_ctx_id_t context, int conf_req, uint32_t qop_req,
                          uint32_t req_output_size, uint32_t* max_input_size);
gssp_status Wrap(gssp_status* minor, gssp_ctx_id_t context, int conf_req, uint32_t qop_req, gssp_buffer_t input,
                 int* conf_state, gssp_buffer_t output);
gssp_status Unwrap(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t input, gssp_buffer_t output,
                   int* conf_state, uint32_t* qop_state);
gssp_status GetMic(gssp_status* minor, gssp_ctx_id_t context, uint32_t qop_req, gssp_buffer_t message,
                   gssp_buffer_t token);
gssp_status VerifyMic(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t message, gssp_buffer_t token,
                      uint32_t* qop_state);
gssp_status ReleaseName(gssp_status* minor, gssp_name_t* name);
gssp_status DisplayStatus(gssp_status* minor, uint32_t status_value, int status_type, gssp_OID mech_type,
                          uint32_t* message_context, gssp_buffer_t status_string);
gssp_status InquirePropertiesForUser(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t properties);
gssp_status Configure(gssp_status* minor, gssp_buffer_t messages);

}  // namespace qxkrb5
