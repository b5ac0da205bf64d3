/* The services of the security-services framework library qxgss that a
 * mechanism plug-in calls, and the records it exchanges with it.
 *
 * gssp_* calls take a minor-status pointer first (may be null) and return a
 * major status (failed from 0x10000). gsspasn_* and qxat_* calls return a
 * framework minor code; 0x21000064 is success. */
#ifndef QXGSS_SERVICES_H
#define QXGSS_SERVICES_H

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#ifdef QXGSS_BUILDING
#define QXGSS_API __declspec(dllexport)
#else
#define QXGSS_API __declspec(dllimport)
#endif
#else
#define QXGSS_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t gssp_status;

/* ---- Records --------------------------------------------------------- */

/* A buffer: 64-bit length and a pointer to the bytes; empty is {0, NULL}. */
typedef struct gssp_buffer_desc {
    uint64_t length;
    void* value;
} gssp_buffer_desc, *gssp_buffer_t;

/* An OID: 32-bit length and a pointer to the DER content bytes. */
typedef struct gssp_OID_desc {
    uint32_t length;
    void* elements;
} gssp_OID_desc, *gssp_OID;

typedef struct gssp_OID_set_desc {
    size_t count;
    gssp_OID_desc* elements;
} gssp_OID_set_desc, *gssp_OID_set;

/* A name: its name type and its text. */
typedef struct gssp_name_desc {
    gssp_OID name_type;
    gssp_buffer_desc text;
} gssp_name_desc, *gssp_name_t;

typedef void* gssp_cred_id_t;
typedef void* gssp_ctx_id_t;
typedef struct gssp_channel_bindings_desc* gssp_channel_bindings_t;

/* ---- Well-known values -------------------------------------------------- */

#define GSSP_S_COMPLETE 0x00000000u
#define GSSP_S_CONTINUE_NEEDED 0x00000001u
#define GSSP_S_BAD_MECH 0x00010000u
#define GSSP_S_BAD_STATUS 0x00050000u
#define GSSP_S_NO_CRED 0x00070000u
#define GSSP_S_NO_CONTEXT 0x00080000u
#define GSSP_S_DEFECTIVE_CREDENTIAL 0x000A0000u
#define GSSP_S_FAILURE 0x000D0000u
#define GSSP_S_UNAVAILABLE 0x00100000u
#define GSSP_S_CALL_INACCESSIBLE_READ 0x01000000u
#define GSSP_S_CALL_INACCESSIBLE_WRITE 0x02000000u
#define GSSP_ERROR(major) ((major) >= 0x00010000u)

#define GSSP_C_GSS_CODE 1
#define GSSP_C_MECH_CODE 2
#define GSSP_C_INDEFINITE 0xFFFFFFFFu
#define GSSP_C_BOTH 0
#define GSSP_C_INITIATE 1
#define GSSP_C_ACCEPT 2

/* Framework minor codes the plug-in relies on. */
#define QXGSS_MINOR_SUCCESS 0x21000064u
#define QXGSS_MINOR_UNAVAILABLE 0xE1000067u
#define QXGSS_MINOR_ASN_ITEM_ABSENT 0xE10000FBu
#define QXGSS_MINOR_INVALID_ARGUMENT 0xE10000CDu

/* Name types. */
QXGSS_API extern gssp_OID GSS_C_NT_QXAT_MECHDATA;
QXGSS_API extern gssp_OID GSS_C_NT_QXAT_MECHDATA_UTF8;
QXGSS_API extern gssp_OID GSS_C_NT_QXAT_MECHDATA_UTF16;
QXGSS_API extern gssp_OID GSS_C_NT_QXAT_MECHDATA_UTF32;
QXGSS_API extern gssp_OID GSS_C_NT_HOSTBASED_SERVICE;

/* ---- Mechanism entry points --------------------------------------------- */

typedef gssp_status (*gssp_acquire_cred_fn)(gssp_status* minor, gssp_name_t desired_name, uint32_t time_req,
                                            gssp_OID_set desired_mechs, int cred_usage, gssp_cred_id_t* output_cred,
                                            gssp_OID_set* actual_mechs, uint32_t* time_rec);
typedef gssp_status (*gssp_release_cred_fn)(gssp_status* minor, gssp_cred_id_t* cred);
typedef gssp_status (*gssp_inquire_cred_fn)(gssp_status* minor, gssp_cred_id_t cred, gssp_name_t* name,
                                            uint32_t* lifetime, int* cred_usage, gssp_OID_set* mechanisms);
typedef gssp_status (*gssp_init_sec_context_fn)(gssp_status* minor, gssp_cred_id_t claimant_cred, gssp_ctx_id_t* context,
                                                gssp_name_t target_name, gssp_OID mech_type, uint32_t req_flags,
                                                uint32_t time_req, gssp_channel_bindings_t bindings,
                                                gssp_buffer_t input_token, gssp_OID* actual_mech_type,
                                                gssp_buffer_t output_token, uint32_t* ret_flags, uint32_t* time_rec);
typedef gssp_status (*gssp_accept_sec_context_fn)(gssp_status* minor, gssp_ctx_id_t* context,
                                                  gssp_cred_id_t acceptor_cred, gssp_buffer_t input_token,
                                                  gssp_channel_bindings_t bindings, gssp_name_t* src_name,
                                                  gssp_OID* mech_type, gssp_buffer_t output_token,
                                                  uint32_t* ret_flags, uint32_t* time_rec,
                                                  gssp_cred_id_t* delegated_cred);
typedef gssp_status (*gssp_delete_sec_context_fn)(gssp_status* minor, gssp_ctx_id_t* context,
                                                  gssp_buffer_t output_token);
typedef gssp_status (*gssp_inquire_context_fn)(gssp_status* minor, gssp_ctx_id_t context, gssp_name_t* src_name,
                                               gssp_name_t* targ_name, uint32_t* lifetime_rec, gssp_OID* mech_type,
                                               uint32_t* ctx_flags, int* locally_initiated, int* open);
typedef gssp_status (*gssp_wrap_size_limit_fn)(gssp_status* minor, gssp_ctx_id_t context, int conf_req,
                                               uint32_t qop_req, uint32_t req_output_size, uint32_t* max_input_size);
typedef gssp_status (*gssp_wrap_fn)(gssp_status* minor, gssp_ctx_id_t context, int conf_req, uint32_t qop_req,
                                    gssp_buffer_t input, int* conf_state, gssp_buffer_t output);
typedef gssp_status (*gssp_unwrap_fn)(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t input,
                                      gssp_buffer_t output, int* conf_state, uint32_t* qop_state);
typedef gssp_status (*gssp_get_mic_fn)(gssp_status* minor, gssp_ctx_id_t context, uint32_t qop_req,
                                       gssp_buffer_t message, gssp_buffer_t token);
typedef gssp_status (*gssp_verify_mic_fn)(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t message,
                                          gssp_buffer_t token, uint32_t* qop_state);
typedef gssp_status (*gssp_release_name_fn)(gssp_status* minor, gssp_name_t* name);
typedef gssp_status (*gssp_display_status_fn)(gssp_status* minor, uint32_t status_value, int status_type,
                                              gssp_OID mech_type, uint32_t* message_context,
                                              gssp_buffer_t status_string);
typedef gssp_status (*gssp_inquire_properties_for_user_fn)(gssp_status* minor, gssp_ctx_id_t context,
                                                           gssp_buffer_t properties);
/* Called once at start-up; messages are appended to the buffer. */
typedef gssp_status (*gssp_configure_fn)(gssp_status* minor, void* unused1, void* unused2, gssp_buffer_t messages);

/* One mechanism the negotiating mechanism may offer. */
typedef struct gssp_negotiable_mech {
    uint32_t usable;
    const char* oid_text; /* dotted form */
} gssp_negotiable_mech;

/* One entry of the framework's mechanism table. */
typedef struct gssp_mech_info {
    const char* name;
    uint32_t negotiable_count;
    gssp_negotiable_mech* negotiable;
    uint32_t enabled;
    gssp_acquire_cred_fn acquire_cred;
    gssp_release_cred_fn release_cred;
    gssp_inquire_cred_fn inquire_cred;
    gssp_init_sec_context_fn init_sec_context;
    gssp_accept_sec_context_fn accept_sec_context;
    gssp_delete_sec_context_fn delete_sec_context;
    gssp_inquire_context_fn inquire_context;
    gssp_wrap_size_limit_fn wrap_size_limit;
    gssp_wrap_fn wrap;
    gssp_unwrap_fn unwrap;
    gssp_get_mic_fn get_mic;
    gssp_verify_mic_fn verify_mic;
    gssp_release_name_fn release_name;
    gssp_display_status_fn display_status;
    gssp_inquire_properties_for_user_fn inquire_properties_for_user; /* null if none */
} gssp_mech_info;

QXGSS_API extern uint32_t MechCount;
QXGSS_API extern gssp_mech_info* pMechInfo;

#define GSSP_NO_MECH_INDEX 0xFFFFFFFFu

/* ---- OIDs --------------------------------------------------------------- */

/* The OIDs handed out are the framework's: they live as long as the process. */
QXGSS_API gssp_status gssp_mechstr_to_oid(gssp_status* minor, const char* name, gssp_OID* oid);
QXGSS_API gssp_status gssp_mechoidstr_to_oid(gssp_status* minor, const char* dotted, gssp_OID* oid);
QXGSS_API gssp_status gssp_oid_to_mechindex(gssp_status* minor, const gssp_OID_desc* oid, uint32_t* index);
/* *name is the framework's text. */
QXGSS_API gssp_status gssp_oid_to_mechstr(gssp_status* minor, const gssp_OID_desc* oid, const char** name);
/* *dotted is the framework's text. */
QXGSS_API gssp_status gssp_mechstr_to_oidstr(gssp_status* minor, const char* name, const char** dotted);
/* *der is the OID's whole DER encoding (tag 06, length, contents),
 * allocated with malloc; the caller frees it. */
QXGSS_API gssp_status gssp_oidstr_to_oidder(gssp_status* minor, uint32_t reserved1, uint32_t reserved2,
                                            const char* dotted, uint32_t* length, unsigned char** der);
/* *result is 0 when the OIDs are equal. */
QXGSS_API gssp_status gssp_compare_oids(gssp_status* minor, const gssp_OID_desc* a, const gssp_OID_desc* b,
                                        int* result);

/* ---- OID sets ------------------------------------------------------------ */

QXGSS_API gssp_status gssp_create_empty_oid_set(gssp_status* minor, gssp_OID_set* set);
QXGSS_API gssp_status gssp_add_oid_set_member(gssp_status* minor, const gssp_OID_desc* oid, gssp_OID_set* set);
QXGSS_API gssp_status gssp_test_oid_set_member(gssp_status* minor, const gssp_OID_desc* oid,
                                               const gssp_OID_set_desc* set, int* present);
QXGSS_API gssp_status gssp_duplicate_oid_set(gssp_status* minor, const gssp_OID_set_desc* set, gssp_OID_set* copy);
QXGSS_API gssp_status gssp_release_oid_set(gssp_status* minor, gssp_OID_set* set);
/* For sets from gssp_inquire_mech_policy_for_user. */
QXGSS_API gssp_status qxgss_release_oid_set(gssp_status* minor, gssp_OID_set* set);

/* ---- Buffers and names ---------------------------------------------------- */

QXGSS_API gssp_status gssp_duplicate_buffer(gssp_status* minor, const gssp_buffer_desc* source, gssp_buffer_t copy);
QXGSS_API gssp_status gssp_release_buffer(gssp_status* minor, gssp_buffer_t buffer);
/* Wipes the bytes before freeing them; also for bytes from malloc. */
QXGSS_API gssp_status gssp_release_secure_buffer(gssp_status* minor, gssp_buffer_t buffer);
QXGSS_API gssp_status gssp_duplicate_name(gssp_status* minor, const gssp_name_desc* name, gssp_name_t* copy);
QXGSS_API gssp_status gssp_release_name(gssp_status* minor, gssp_name_t* name);
/* The name's text as UTF-8 (from UTF-16 or UTF-32 per its name type) in *utf8;
 * request is three 32-bit values. */
QXGSS_API gssp_status gssp_convertname_utf(gssp_status* minor, const gssp_name_desc* name, gssp_buffer_t utf8,
                                           const uint32_t request[3]);

/* ---- Mechanism properties and policy --------------------------------------- */

#define QXGSS_PROPERTY_NEGOTIATION_PREFERRED 2
#define QXGSS_PROPERTY_SSO_SUPPORTED 8
#define QXGSS_PROPERTY_RANK 17

QXGSS_API gssp_status gssp_inquire_one_mech_property_boolean(gssp_status* minor, const gssp_OID_desc* oid,
                                                             uint32_t number, uint32_t* value);
QXGSS_API gssp_status gssp_inquire_one_mech_property_int(gssp_status* minor, const gssp_OID_desc* oid,
                                                         uint32_t number, int32_t* value);
/* The mechanisms the user may use; release with qxgss_release_oid_set. */
QXGSS_API gssp_status gssp_inquire_mech_policy_for_user(gssp_status* minor, const char* user,
                                                        gssp_OID_set* mechanisms);

/* ---- ASN.1 (DER) ------------------------------------------------------------ */

/* Tagging mode 0: a sequence with tag n is a constructed context-specific
 * element [n]; an item with tag n is a primitive context-specific element [n]
 * holding the contents of its type. Definite lengths, minimal integers. */
typedef struct gsspasn_encoder* gsspasn_encode_handle;
typedef struct gsspasn_decoder* gsspasn_decode_handle;
typedef struct gsspasn_sequence* gsspasn_sequence_t;

/* Item types and what `value` points to. Decoded buffers and OID bytes are
 * allocated with malloc: buffers go back with gssp_release_buffer, OID bytes
 * with free. */
#define GSSPASN_TYPE_INTEGER 2 /* uint32_t* */
#define GSSPASN_TYPE_BUFFER 4  /* gssp_buffer_desc* */
#define GSSPASN_TYPE_OID 5     /* gssp_OID_desc* */

QXGSS_API uint32_t gsspasn_open_encode_handle(gsspasn_encode_handle* h);
QXGSS_API uint32_t gsspasn_set_encode_tagging(gsspasn_encode_handle h, uint32_t tagging);
QXGSS_API uint32_t gsspasn_start_encode_sequence(gsspasn_encode_handle h, uint32_t tag);
QXGSS_API uint32_t gsspasn_stop_encode_sequence(gsspasn_encode_handle h, uint32_t tag);
QXGSS_API uint32_t gsspasn_put_encode_item(gsspasn_encode_handle h, uint32_t tag, uint32_t type, const void* value);
/* encoding may be null: the encoding is discarded. */
QXGSS_API uint32_t gsspasn_close_encode_handle(gsspasn_encode_handle* h, gssp_buffer_t encoding);

QXGSS_API uint32_t gsspasn_open_decode_handle(gsspasn_decode_handle* h, const gssp_buffer_desc* token);
QXGSS_API uint32_t gsspasn_set_decode_tagging(gsspasn_decode_handle h, uint32_t tagging);
/* The outermost sequence when it has the tag. *found is the number of
 * elements directly inside the sequence returned, 0 when there is none. */
QXGSS_API uint32_t gsspasn_get_top_decode_sequence(gsspasn_decode_handle h, uint32_t tag,
                                                   gsspasn_sequence_t* sequence, int* found);
/* The next sequence with the tag, in document order after the last one
 * returned; *found as above. Sequences stay valid until the handle closes. */
QXGSS_API uint32_t gsspasn_get_decode_sequence(gsspasn_decode_handle h, uint32_t tag, gsspasn_sequence_t* sequence,
                                               int* found);
/* The item with the tag directly inside the sequence; QXGSS_MINOR_ASN_ITEM_ABSENT when there is none. */
QXGSS_API uint32_t gsspasn_get_decode_item(gsspasn_sequence_t sequence, uint32_t tag, uint32_t type, void* value);
QXGSS_API uint32_t gsspasn_close_decode_handle(gsspasn_decode_handle* h);

/* ---- Logon data -------------------------------------------------------------- */

typedef struct qxat_parsed* qxat_handle;
typedef struct qxat_item {
    char* text;
    uint32_t length;
} qxat_item;

/* Null when the text is not a valid principal list. */
QXGSS_API qxat_handle qxat_parse(const char* text, uint32_t options);
QXGSS_API uint32_t qxat_get_count(qxat_handle h);
/* Items belong to the handle; null when absent. */
QXGSS_API qxat_item* qxat_get_user(qxat_handle h, uint32_t principal);
QXGSS_API qxat_item* qxat_get_realm(qxat_handle h, uint32_t principal);
QXGSS_API qxat_item* qxat_get_password(qxat_handle h, uint32_t principal);
/* Removes the escapes of the item's text in place (it never grows) and updates its length. */
QXGSS_API uint32_t qxat_unescape(qxat_item* item);
QXGSS_API void qxat_free(qxat_handle h);

#ifdef __cplusplus
}
#endif

#endif
