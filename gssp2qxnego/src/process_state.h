/* The negotiating mechanism's process-wide state: its own index in the
 * framework's mechanism table and the list of mechanisms it may negotiate.
 * Written only while the mechanism is configured, read-only afterwards. */
#ifndef QXNEGO_PROCESS_STATE_H
#define QXNEGO_PROCESS_STATE_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QxnegoProcessState {
    int32_t own_mech_index; /* QXNEGO's index in the framework's table; -1 until configured */
    NegMechList mech_list;  /* ordered by preference */
} QxnegoProcessState;

extern QxnegoProcessState qxnego_process_state;

/* Finds QXNEGO's own index in the framework's table and builds the
 * process-wide list from its negotiable list.
 *   QXNEGO not in the table            that look-up's minor and major
 *   otherwise                          as QXNEGO_INT_InitNegMechList */
gssp_status QXNEGO_INT_InitProcessState(gssp_status* minor);

/* Gives back the process-wide list; the state is as before configuration. */
gssp_status QXNEGO_INT_ReleaseProcessState(gssp_status* minor);

#ifdef __cplusplus
}
#endif

#endif
