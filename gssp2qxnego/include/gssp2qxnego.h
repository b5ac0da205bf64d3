/* Exports of the negotiating mechanism plug-in gssp2qxnego: its status
 * messages, the logon-data parser and the user-property record builders.
 *
 * Every function returns a GSS major status and writes its minor status
 * through the first argument when that pointer is not null. The qxat_
 * helpers report framework minor codes (0x21000064 is success). */
#ifndef GSSP2QXNEGO_H
#define GSSP2QXNEGO_H

#include <stddef.h>
#include <stdint.h>

#include "qxgss_services.h"

/* GSSP2QXNEGO_BUILDING: compiling the plug-in itself.
 * GSSP2QXNEGO_STATIC: linking the plug-in's static core (tests, fuzzers). */
#ifdef _WIN32
#if defined(GSSP2QXNEGO_BUILDING)
#define GSSP2QXNEGO_API __declspec(dllexport)
#elif defined(GSSP2QXNEGO_STATIC)
#define GSSP2QXNEGO_API
#else
#define GSSP2QXNEGO_API __declspec(dllimport)
#endif
#else
#define GSSP2QXNEGO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Mechanism entry points ------------------------------------------------ */

/* The framework binds these by the export prefix QXNEGO and calls
 * QXNEGO_configure once, before any other. Credentials and contexts are
 * the mechanism's own records behind the opaque handles. */
GSSP2QXNEGO_API gssp_status QXNEGO_configure(gssp_status* minor, void* unused1, void* unused2,
                                             gssp_buffer_t messages);
GSSP2QXNEGO_API gssp_status QXNEGO_acquire_cred(gssp_status* minor, gssp_name_t desired_name, uint32_t time_req,
                                                gssp_OID_set desired_mechs, int cred_usage,
                                                gssp_cred_id_t* output_cred_handle, gssp_OID_set* actual_mechs,
                                                uint32_t* time_rec);
GSSP2QXNEGO_API gssp_status QXNEGO_release_cred(gssp_status* minor, gssp_cred_id_t* cred_handle);
GSSP2QXNEGO_API gssp_status QXNEGO_inquire_cred(gssp_status* minor, gssp_cred_id_t cred_handle, gssp_name_t* name,
                                                uint32_t* lifetime, int* cred_usage, gssp_OID_set* mechanisms);
GSSP2QXNEGO_API gssp_status QXNEGO_init_sec_context(gssp_status* minor, gssp_cred_id_t claimant_cred_handle,
                                                    gssp_ctx_id_t* context_handle, gssp_name_t target_name,
                                                    gssp_OID mech_type, uint32_t req_flags, uint32_t time_req,
                                                    gssp_channel_bindings_t input_chan_bindings,
                                                    gssp_buffer_t input_token, gssp_OID* actual_mech_type,
                                                    gssp_buffer_t output_token, uint32_t* ret_flags,
                                                    uint32_t* time_rec);
GSSP2QXNEGO_API gssp_status QXNEGO_accept_sec_context(gssp_status* minor, gssp_ctx_id_t* context_handle,
                                                      gssp_cred_id_t acceptor_cred_handle, gssp_buffer_t input_token,
                                                      gssp_channel_bindings_t input_chan_bindings,
                                                      gssp_name_t* src_name, gssp_OID* mech_type,
                                                      gssp_buffer_t output_token, uint32_t* ret_flags,
                                                      uint32_t* time_rec, gssp_cred_id_t* delegated_cred_handle);
GSSP2QXNEGO_API gssp_status QXNEGO_delete_sec_context(gssp_status* minor, gssp_ctx_id_t* context_handle,
                                                      gssp_buffer_t output_token);
GSSP2QXNEGO_API gssp_status QXNEGO_inquire_context(gssp_status* minor, gssp_ctx_id_t context_handle,
                                                   gssp_name_t* src_name, gssp_name_t* targ_name,
                                                   uint32_t* lifetime_rec, gssp_OID* mech_type, uint32_t* ctx_flags,
                                                   int* locally_initiated, int* open);

/* Per-message calls go to the selected mechanism once the negotiation is
 * complete. */
GSSP2QXNEGO_API gssp_status QXNEGO_wrap_size_limit(gssp_status* minor, gssp_ctx_id_t context, int conf_req_flag,
                                                   uint32_t qop_req, uint32_t req_output_size,
                                                   uint32_t* max_input_size);
GSSP2QXNEGO_API gssp_status QXNEGO_wrap(gssp_status* minor, gssp_ctx_id_t context, int conf_req_flag, uint32_t qop_req,
                                        gssp_buffer_t input_message, int* conf_state, gssp_buffer_t output_message);
GSSP2QXNEGO_API gssp_status QXNEGO_unwrap(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t input_message,
                                          gssp_buffer_t output_message, int* conf_state, uint32_t* qop_state);
GSSP2QXNEGO_API gssp_status QXNEGO_get_mic(gssp_status* minor, gssp_ctx_id_t context, uint32_t qop_req,
                                           gssp_buffer_t message, gssp_buffer_t message_token);
GSSP2QXNEGO_API gssp_status QXNEGO_verify_mic(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t message,
                                              gssp_buffer_t token, uint32_t* qop_state);

/* Discovery and the calls that do no work. */
GSSP2QXNEGO_API gssp_status QXNEGO_indicate_mechs(gssp_status* minor, gssp_OID_set* mech_set);
GSSP2QXNEGO_API gssp_status QXNEGO_inquire_names_for_mech(gssp_status* minor, gssp_OID mechanism,
                                                          gssp_OID_set* name_types);
/* The selected mechanism's user properties with the policy flag and the
 * rendered negotiation log added; the caller gives the buffer back with
 * gssp_release_secure_buffer. */
GSSP2QXNEGO_API gssp_status QXNEGO_inquire_properties_for_user(gssp_status* minor, gssp_ctx_id_t context,
                                                               gssp_buffer_t properties);
GSSP2QXNEGO_API gssp_status QXNEGO_get_client_domain_username(gssp_status* minor, void* unused1, void* unused2,
                                                              void* unused3);
GSSP2QXNEGO_API gssp_status QXNEGO_qop_string_to_int(gssp_status* minor, void* unused1, void* unused2);
GSSP2QXNEGO_API gssp_status QXNEGO_qop_int_to_string(gssp_status* minor, void* unused1, void* unused2);

/* ---- Status messages ---------------------------------------------------- */

/* The mechanism's display_status entry point: the text of one of this
 * mechanism's minor status codes (status_type 2). */
GSSP2QXNEGO_API gssp_status QXNEGO_display_status(gssp_status* minor, uint32_t status_value, int status_type,
                                                  gssp_OID mech_type, uint32_t* message_context,
                                                  gssp_buffer_t status_string);

/* ---- Logon data ---------------------------------------------------------- */

/* Parses a logon string. Each output given is set to null first; on success
 * the outputs that were present hold separate malloc'd texts the caller frees.
 * On failure every output is null again (values are wiped before freeing).
 * Only bits 0 to 2 of options are read: 7 hands the bare principal to the
 * framework's principal parser, bit 1 alone splits it at its last "@@". */
GSSP2QXNEGO_API gssp_status qxat_parse_logon(gssp_status* minor, const char* logon, char** principal,
                                             char** authcid, char** password, char** realm, char** authzid,
                                             char** mech, char** user, char** profile, char** userproperties,
                                             uint32_t options);

/* Fails (0xE300042A) when the string holds "authcid=" or "password="
 * (case-sensitive). */
GSSP2QXNEGO_API gssp_status qxat_validate_kerberos_logdata(gssp_status* minor, const char* logon);

/* ---- User-property records ------------------------------------------------- */

/* A user-properties buffer holds records back to back, each starting with
 * this header (16-bit fields, machine byte order), then data_length bytes of
 * data, then zero fill up to length (a multiple of 4, header included). */
typedef struct PropertyRecord {
    uint16_t type;
    uint16_t length;
    uint16_t data_length;
} PropertyRecord;

#define QXAT_PROPERTY_HEADER_SIZE 6u
#define QXAT_PROPERTY_FLAGS_SIZE 16u

/* Record types. */
#define QXAT_PROP_PRIMARY_NAME 5      /* no terminator room */
#define QXAT_PROP_FLAGS 8             /* byte 0 default user, 1 mechanism flag, 2 policy applied */
#define QXAT_PROP_USER 9
#define QXAT_PROP_OPTIONAL_NAME 10
#define QXAT_PROP_SECOND_NAME 11      /* no terminator room */
#define QXAT_PROP_PRIMARY_NAME_TERM 12
#define QXAT_PROP_NAME_ENTRY 13
#define QXAT_PROP_PROFILE 14
#define QXAT_PROP_MECH_NAME 15
#define QXAT_PROP_MECH_OID_TEXT 16
#define QXAT_PROP_MECH_OID_DER 17
#define QXAT_PROP_EXTRA_TEXT 19       /* no terminator room */
#define QXAT_PROP_NEG_LOG 20

/* The input of qxat_fill_authorizations: what the authenticating mechanism
 * found for the user. Lists are null-terminated; the user list's entries are
 * malloc'd, and "extuser" entries are removed from it (and freed). */
typedef struct AuthorizationInfo {
    uint32_t kind;            /* 1: no lists (the three lists are not read) */
    const char* extra_text;   /* may be null */
    void* reserved;           /* not read */
    const char* second_name;  /* required */
    const char* default_user; /* required */
    char** name_list;         /* may be null */
    char** profile_list;      /* may be null */
    char** user_list;         /* may be null; changed in place */
} AuthorizationInfo;

#define QXAT_KIND_NO_LISTS 1u

/* Builds the authorization records for the chosen user and profile into
 * output (newly allocated; the caller frees output->value). A requested user
 * or profile that is not allowed fails with minor 0. */
GSSP2QXNEGO_API gssp_status qxat_fill_authorizations(gssp_status* minor, gssp_buffer_t output, const char* primary_name,
                                                     const char* optional_name, AuthorizationInfo* info,
                                                     const char* requested_user, const char* requested_profile,
                                                     int32_t with_extra_text);

/* Builds the records that name the mechanism (name, dotted OID, DER) into
 * output, and sets the mechanism flag in every flags record of existing
 * (which may be null); a flags record is added to output only when existing
 * has none. */
GSSP2QXNEGO_API gssp_status qxat_fill_mechinfo(gssp_status* minor, gssp_buffer_t existing, gssp_buffer_t output,
                                               const unsigned char* mech_flag, gssp_OID mech_oid);

/* ---- Walking a user-properties buffer -------------------------------------- */

/* One record as found in a buffer: its header, where it starts, and how much
 * of its data lies inside the record (data_length may claim more). */
typedef struct PropertyRecordView {
    PropertyRecord header;
    uint64_t offset;
    const unsigned char* data;
    uint16_t data_size;
} PropertyRecordView;

/* Gives the record at *offset and moves *offset past it; 0 at the end of
 * the buffer or at a record that cannot be whole (header past the end, a
 * length shorter than the header or running past the end). */
static inline int qxat_next_property_record(const unsigned char* bytes, uint64_t size, uint64_t* offset,
                                            PropertyRecordView* record) {
    uint64_t at = *offset;
    if (bytes == NULL || at > size || size - at < QXAT_PROPERTY_HEADER_SIZE) {
        return 0;
    }
    const unsigned char* p = bytes + at;
    PropertyRecord h;
    h.type = (uint16_t)(p[0] | (p[1] << 8));
    h.length = (uint16_t)(p[2] | (p[3] << 8));
    h.data_length = (uint16_t)(p[4] | (p[5] << 8));
    if (h.length < QXAT_PROPERTY_HEADER_SIZE || h.length > size - at) {
        return 0;
    }
    uint16_t room = (uint16_t)(h.length - QXAT_PROPERTY_HEADER_SIZE);
    record->header = h;
    record->offset = at;
    record->data = p + QXAT_PROPERTY_HEADER_SIZE;
    record->data_size = h.data_length < room ? h.data_length : room;
    *offset = at + h.length;
    return 1;
}

#ifdef __cplusplus
}
#endif

#endif
