/* The negotiating mechanism's process-wide state: its own OID and index in
 * the framework's mechanism table, the OID and name-type sets it hands out,
 * and the list of mechanisms it may negotiate. Built once by
 * QXNEGO_configure, read-only afterwards. */
#ifndef QXNEGO_PROCESS_STATE_H
#define QXNEGO_PROCESS_STATE_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QxnegoProcessState {
    gssp_OID own_oid;                    /* the framework's descriptor for "QXNEGO" */
    int32_t own_mech_index;              /* in the framework's table; -1 until configured */
    gssp_OID_set actual_mechs;           /* {own_oid} */
    gssp_OID_set utf8_name_types;        /* {MECHDATA_UTF8} */
    gssp_OID_set accepted_name_types;    /* {MECHDATA, _UTF8, _UTF16, _UTF32} */
    gssp_OID_set advertised_name_types;  /* the accepted set and HOSTBASED_SERVICE */
    NegMechList mech_list;               /* ordered by preference */
} QxnegoProcessState;

extern QxnegoProcessState qxnego_process_state;

/* Gives back everything the state holds; the state is as before
 * configuration. The running plug-in never calls it (the state lives as
 * long as the process); tests and a second configuration do. Goes on after
 * a failure and reports the last one. */
gssp_status QXNEGO_INT_ReleaseProcessState(gssp_status* minor);

#ifdef __cplusplus
}
#endif

#endif
