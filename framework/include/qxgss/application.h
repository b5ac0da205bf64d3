/* The stand-in's application interface: what a client or server program
 * calls. Each call reaches the mechanism named by its OID through the
 * mechanism table; credentials and contexts are the framework's records,
 * which remember their mechanism and hold the mechanism's own handle.
 *
 * Calls return a major status and write the minor status (the mechanism's,
 * or the framework's for the framework's own checks) through the first
 * argument. Tokens, messages and property buffers handed out are released
 * with gssp_release_buffer; names with gssp_release_name. */
#ifndef QXGSS_APPLICATION_H
#define QXGSS_APPLICATION_H

#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct qxgss_credential* qxgss_cred_t;
typedef struct qxgss_context* qxgss_ctx_t;

/* The mechanism a context belongs to, and the mechanism's own handle of it
 * (for diagnostics and tests); null for none. */
QXGSS_API gssp_OID qxgss_context_mechanism(qxgss_ctx_t context);
QXGSS_API gssp_ctx_id_t qxgss_context_handle(qxgss_ctx_t context);

QXGSS_API gssp_status qxgss_acquire_cred(gssp_status* minor, gssp_OID mechanism, gssp_name_t desired_name,
                                         uint32_t time_req, int cred_usage, qxgss_cred_t* cred);
QXGSS_API gssp_status qxgss_release_cred(gssp_status* minor, qxgss_cred_t* cred);

/* *context is null on the first call; the first call makes the record. A
 * failed first call leaves the record (with whatever the mechanism kept)
 * for qxgss_delete_sec_context. */
QXGSS_API gssp_status qxgss_init_sec_context(gssp_status* minor, qxgss_cred_t cred, qxgss_ctx_t* context,
                                             gssp_OID mechanism, gssp_name_t target_name, uint32_t req_flags,
                                             gssp_buffer_t input_token, gssp_buffer_t output_token,
                                             gssp_OID* actual_mech, uint32_t* ret_flags);
QXGSS_API gssp_status qxgss_accept_sec_context(gssp_status* minor, qxgss_ctx_t* context, gssp_OID mechanism,
                                               qxgss_cred_t cred, gssp_buffer_t input_token, gssp_name_t* src_name,
                                               gssp_buffer_t output_token, gssp_OID* mech_type, uint32_t* ret_flags);
QXGSS_API gssp_status qxgss_delete_sec_context(gssp_status* minor, qxgss_ctx_t* context);

QXGSS_API gssp_status qxgss_inquire_context(gssp_status* minor, qxgss_ctx_t context, gssp_name_t* src_name,
                                            gssp_OID* mech_type, uint32_t* ctx_flags, int* open);
QXGSS_API gssp_status qxgss_wrap(gssp_status* minor, qxgss_ctx_t context, int conf_req, gssp_buffer_t input,
                                 int* conf_state, gssp_buffer_t output);
QXGSS_API gssp_status qxgss_unwrap(gssp_status* minor, qxgss_ctx_t context, gssp_buffer_t input,
                                   gssp_buffer_t output, int* conf_state);
QXGSS_API gssp_status qxgss_get_mic(gssp_status* minor, qxgss_ctx_t context, gssp_buffer_t message,
                                    gssp_buffer_t token);
QXGSS_API gssp_status qxgss_verify_mic(gssp_status* minor, qxgss_ctx_t context, gssp_buffer_t message,
                                       gssp_buffer_t token);
/* The context's user properties (records as the mechanism builds them). */
QXGSS_API gssp_status qxgss_inquire_properties_for_user(gssp_status* minor, qxgss_ctx_t context,
                                                        gssp_buffer_t properties);

#ifdef __cplusplus
}
#endif

#endif
