/* The user-properties buffer the application gets from the negotiating
 * mechanism: the selected mechanism's records, a flags record carrying the
 * policy flag, and a record holding the rendered negotiation log. */
#ifndef QXNEGO_USER_PROPERTIES_H
#define QXNEGO_USER_PROPERTIES_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The context's properties of this moment into *output (bytes from the
 * plug-in's allocator). */
gssp_status QXNEGO_INT_BuildUserProperties(gssp_status* minor, const NegContext* context, gssp_buffer_t output);

/* mechanism_properties and log_text may be null or empty; *output receives
 * the combined buffer (left as it was when there is nothing to add). */
gssp_status QXNEGO_INT_AddNegProperties(gssp_status* minor, gssp_buffer_t mechanism_properties,
                                        unsigned char policy_flag, const gssp_buffer_desc* log_text,
                                        gssp_buffer_t output);

#ifdef __cplusplus
}
#endif

#endif
