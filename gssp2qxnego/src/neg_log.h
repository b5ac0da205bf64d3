/* The negotiation log of a context: an append-only array of records, one per
 * notable step of the negotiation, rendered on request as one plain text.
 *
 * Every operation writes its minor status through the first argument when it
 * is not null and returns a GSS major status; success is minor 0x230003E8,
 * major 0. */
#ifndef QXNEGO_NEG_LOG_H
#define QXNEGO_NEG_LOG_H

#include <stdint.h>

#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

struct NegMechEntry;
struct NegContext;

/* The log starts with room for 64 records and grows by 16. */
#define QXNEGO_NEG_LOG_INITIAL_RECORDS 64u
#define QXNEGO_NEG_LOG_GROWTH 16u
/* The most a rendered header or record block takes. */
#define QXNEGO_NEG_LOG_BLOCK_SIZE 4096u

/* One step of the negotiation. The record has a mechanism when
 * mech_oid.elements is not null; only then do mech_state to
 * is_ctx_established mean anything. */
typedef struct NegLogRecord {
    gssp_OID_desc mech_oid;             /* the bytes belong to the mechanism entry */
    uint32_t mech_state;                /* MechState */
    uint32_t mech_reason;               /* MechReason */
    uint32_t major_status;              /* the mechanism's last failure */
    uint32_t minor_status;
    gssp_buffer_desc minor_status_text; /* owned; from gssp_duplicate_buffer */
    int32_t mech_index;                 /* -1 when not in the framework's table */
    uint32_t is_ctx_established;
    uint32_t is_initiator;              /* nonzero on the client side */
    uint32_t call_number;               /* 0 for the first init or accept call */
    uint32_t is_policy_applied;
    uint32_t neg_state;                 /* NegState */
    uint32_t neg_state_from_peer;       /* NegState */
    char* text;                         /* owned, may be null */
    uint32_t elapsed_ms;                /* tick counter now minus start_time */
} NegLogRecord;

typedef struct NegLog {
    uint32_t count;
    uint32_t capacity;
    NegLogRecord* records;  /* owned; zero beyond count */
    uint32_t start_time;    /* the tick counter when the log was made */
} NegLog;

/* The texts the negotiation appends, X(name, text). */
#define QXNEGO_NEG_LOG_TEXTS(X) \
    X(QXNEGO_LOG_MECH_AVAILABLE, "QXNEGO_INT_GetNegMechList: Mechanism is available for negotiation") \
    X(QXNEGO_LOG_SSO_NOT_SUPPORTED, "QXNEGO_INT_SetAuthInfo: SSO required but not supported by mechanism") \
    X(QXNEGO_LOG_SSO_NO_AUTH_ID, "QXNEGO_INT_SetAuthInfo: Could not get Authentication ID for SSO") \
    X(QXNEGO_LOG_ACQUIRE_NOT_NEEDED, \
      "QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred not needed for NULL credential at Server") \
    X(QXNEGO_LOG_ACQUIRE_FAILED, "QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred failed for mechanism") \
    X(QXNEGO_LOG_ACQUIRE_SUCCEEDED, "QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred succeeded for mechanism") \
    X(QXNEGO_LOG_INIT_FAILED, "QXNEGO_INT_Mechs_Init_Contexts: init_sec_context failed for mechanism") \
    X(QXNEGO_LOG_INIT_CONTINUE, \
      "QXNEGO_INT_Mechs_Init_Contexts: Continue needed for mechanism to establish context") \
    X(QXNEGO_LOG_INIT_ESTABLISHED, "QXNEGO_INT_Mechs_Init_Contexts: Mechanism established context") \
    X(QXNEGO_LOG_ACCEPT_FAILED, "QXNEGO_INT_Mechs_Accept_Contexts: accept_sec_context failed for mechanism") \
    X(QXNEGO_LOG_ACCEPT_CONTINUE, \
      "QXNEGO_INT_Mechs_Accept_Contexts: Continue needed for mechanism to establish context") \
    X(QXNEGO_LOG_ACCEPT_ESTABLISHED, "QXNEGO_INT_Mechs_Accept_Contexts: Mechanism established context") \
    X(QXNEGO_LOG_NEG_COMPLETED, "QXNEGO_INT_SelectMechanism: Negotiation State set to Completed") \
    X(QXNEGO_LOG_MECH_SELECTED, "QXNEGO_INT_SelectMechanism: A mechanism has been selected") \
    X(QXNEGO_LOG_POLICY_NO_USER, "QXNEGO_INT_Apply_Policy_Info: Mechanism Policy has been applied (no user name)") \
    X(QXNEGO_LOG_POLICY_EMPTY, "QXNEGO_INT_Apply_Policy_Info: Mechanism Policy has been applied (empty policy)") \
    X(QXNEGO_LOG_POLICY_NON_EMPTY, \
      "QXNEGO_INT_Apply_Policy_Info: Mechanism Policy has been applied (non-empty policy)") \
    X(QXNEGO_LOG_POLICY_DISALLOWED, "QXNEGO_INT_Apply_Policy_Info: Mechanism disallowed due to policy") \
    X(QXNEGO_LOG_INIT_PEER_STATE, "QXNEGO_INT_DecodeNegTokenInit: Peer has changed Negotiation State") \
    X(QXNEGO_LOG_RESP_PEER_STATE, "QXNEGO_INT_DecodeNegTokenResp: Peer has changed Negotiation State") \
    X(QXNEGO_LOG_RESP_POLICY_AT_SERVER, \
      "QXNEGO_INT_DecodeNegTokenResp: Mechanism Policy has been applied at the Server") \
    X(QXNEGO_LOG_PEER_MECH_STATE, "QXNEGO_INT_ProcessNegMech: Peer reporting Mech state") \
    X(QXNEGO_LOG_LOCAL_STATE_FROM_PEER, \
      "QXNEGO_INT_ProcessNegMech: Local Mech state changing due to Peer Mech state") \
    X(QXNEGO_LOG_PEER_MECH_UNKNOWN, "QXNEGO_INT_ProcessNegMech: Peer reports a mechanism not known locally") \
    X(QXNEGO_LOG_PEER_MECH_REJECTED, \
      "QXNEGO_INT_ProcessNegMech: Reject peer mechanism because not available on local system")

#define QXNEGO_NEG_LOG_TEXT_CONSTANT(name, text) static const char* const name = text;
QXNEGO_NEG_LOG_TEXTS(QXNEGO_NEG_LOG_TEXT_CONSTANT)
#undef QXNEGO_NEG_LOG_TEXT_CONSTANT

/* Gives a zeroed context its log: 64 zeroed records and the start time.
 * No context: 0xE3000400 / 0x020D0000. No memory: 0xE30003F9 / 0x000D0000. */
gssp_status QXNEGO_INT_InitNegLog(gssp_status* minor, struct NegContext* context);

/* Appends one record: the context's side, call, policy flag and states, the
 * elapsed time, a copy of text (or of the warning text when there is neither
 * text nor entry), and, with an entry, the entry's OID, states, status and
 * a copy of its status text. A failed append leaves the log as it was.
 *   no context                         0xE3000400 / 0x020D0000
 *   the context has no log             0xE300040A / 0x020D0000
 *   no memory (growing, copying text)  0xE30003F8 / 0x000D0000
 *   the entry has no usable OID        0xE30003F4 / 0x000D0000
 *   gssp_duplicate_buffer failed       that call's minor and major */
gssp_status QXNEGO_INT_NegLogEntry(gssp_status* minor, const char* text, const struct NegMechEntry* entry,
                                   struct NegContext* context);

/* The whole log as text in *output (exact length, no NUL). The bytes come
 * from the plug-in's allocator (qxnego_malloc); the caller frees them.
 *   no output buffer                   0xE30003FA / 0x020D0000
 *   no context (output set empty)      0xE3000400 / 0x010D0000
 *   the context has no log             0xE300040A / 0x010D0000
 *   no memory                          0xE30003F8 / 0x000D0000 */
gssp_status QXNEGO_INT_RenderNegLog(gssp_status* minor, const struct NegContext* context, gssp_buffer_t output);

/* Frees every record's texts and the array; the log is left empty, without
 * an array. Every record is released even when one fails; the last failure
 * of gssp_release_buffer is reported. No context: 0xE3000400 / 0x010D0000. */
gssp_status QXNEGO_INT_ReleaseNegLog(gssp_status* minor, struct NegContext* context);

#ifdef __cplusplus
}
#endif

#endif
