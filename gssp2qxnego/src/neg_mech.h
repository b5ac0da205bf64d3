/* The negotiation's records: the states of a mechanism and of the
 * negotiation, one mechanism of a negotiation list (NegMechEntry), the list
 * (NegMechList) and the context of the negotiating mechanism (NegContext).
 * Plain records; the operations on them live beside the code that uses
 * them. */
#ifndef QXNEGO_NEG_MECH_H
#define QXNEGO_NEG_MECH_H

#include <stdint.h>

#include "neg_log.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* MechState */
enum {
    QXNEGO_MECH_STATE_INVALID = 0,
    QXNEGO_MECH_STATE_AVAILABLE = 1,
    QXNEGO_MECH_STATE_SELECTED = 2,
    QXNEGO_MECH_STATE_REJECTED = 3
};

/* MechReason */
enum {
    QXNEGO_MECH_REASON_INVALID = 0,
    QXNEGO_MECH_REASON_AVAILABLE = 1,
    QXNEGO_MECH_REASON_GSSAPI_ERROR = 2,
    QXNEGO_MECH_REASON_NOT_AT_CLIENT = 3,
    QXNEGO_MECH_REASON_NOT_AT_SERVER = 4,
    QXNEGO_MECH_REASON_POLICY = 5,
    QXNEGO_MECH_REASON_RANK = 6,
    QXNEGO_MECH_REASON_SSO_REQUIRED = 7,
    QXNEGO_MECH_REASON_NO_AUTH_ID = 8
};

/* NegState */
enum {
    QXNEGO_NEG_STATE_INVALID = 0,
    QXNEGO_NEG_STATE_COMPLETED = 1,
    QXNEGO_NEG_STATE_INCOMPLETE = 2,
    QXNEGO_NEG_STATE_REJECT = 3,
    QXNEGO_NEG_STATE_REQUEST_MIC = 4
};

/* One mechanism of a negotiation list. The entry owns its four buffers, the
 * bytes of own_oid, its credential, context, source name and delegated
 * credential; it does not own what oid points to for a configured mechanism
 * (the framework's descriptor) nor actual_mech. */
typedef struct NegMechEntry {
    uint32_t report_flag;            /* 1: a state change not yet sent to the peer */
    gssp_OID oid;                    /* the framework's descriptor, or &own_oid */
    uint32_t MechState;              /* QXNEGO_MECH_STATE_* */
    uint32_t MechReason;             /* QXNEGO_MECH_REASON_* */
    uint32_t major_status;           /* the mechanism's last failure, else 0 */
    uint32_t minor_status;
    gssp_buffer_desc status_text;    /* the mechanism's text for minor_status */
    gssp_buffer_desc input_token;    /* the peer's last token for this mechanism */
    gssp_buffer_desc output_token;   /* the mechanism's last token, for the peer */
    gssp_buffer_desc authentication_id;
    gssp_OID_desc own_oid;           /* for a mechanism only the peer knows */
    int32_t mech_index;              /* in the framework's table; -1 when not there */
    gssp_cred_id_t credential;
    gssp_ctx_id_t context;
    gssp_OID actual_mech;
    uint32_t ret_flags;
    uint32_t time_rec;
    gssp_name_t src_name;
    gssp_cred_id_t delegated_cred;
    uint32_t IsCtxEstablished;       /* 1 once the mechanism's own context is complete */
    uint32_t preferred;              /* configuration property 2 */
    int32_t rank;                    /* configuration property 17 */
    uint32_t sso_supported;          /* configuration property 8 */
} NegMechEntry;

typedef struct NegMechList {
    uint32_t count;
    NegMechEntry* entries;
} NegMechList;

/* The negotiating mechanism's credential handle. It owns its name and its
 * OID set; every sub-mechanism's credential is acquired with the name,
 * lifetime and usage held here. */
typedef struct NegCredential {
    gssp_name_t name;          /* null when no desired name was given */
    uint32_t time_req;
    gssp_OID_set mechanisms;   /* null when no desired set was given */
    uint32_t cred_usage;       /* 0 both, 1 initiate, 2 accept */
} NegCredential;

/* The negotiating mechanism's security context. */
typedef struct NegContext {
    gssp_buffer_desc user_properties;  /* cached once Completed */
    uint32_t IsInitiator;
    uint32_t call_counter;             /* 0 during the first call */
    gssp_buffer_desc authentication_id;
    uint32_t sso;
    gssp_buffer_desc user;
    gssp_buffer_desc profile;
    uint32_t IsPolicyApplied;
    NegMechList mech_list;
    NegLog log;
    uint32_t NegState;                 /* QXNEGO_NEG_STATE_* */
    uint32_t NegStateFromPeer;
    int32_t selected_mech_index;       /* -1 until selected */
    int32_t selected_entry_index;      /* -1 until selected */
} NegContext;

#ifdef __cplusplus
}
#endif

#endif
