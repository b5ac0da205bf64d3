/* Creating and taking apart the negotiating mechanism's context
 * (NegContext). The entry points that hand contexts out are in
 * gssp2qxnego.h. */
#ifndef QXNEGO_NEG_CONTEXT_H
#define QXNEGO_NEG_CONTEXT_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Makes a context for the first init (IsInitiator 1) or accept (0) call:
 * zeroed, states Incomplete, no selection, its log, and its copy of the
 * process-wide list. A handle already holding a context is left alone.
 *   no handle pointer                  0xE30003FF / 0x02080000
 *   no memory                          0xE30003F9 / 0x000D0000
 *   log or list copy failed            that step's minor and major; the
 *                                      half-built context is deleted and the
 *                                      handle stays null */
gssp_status QXNEGO_INT_CreateNegContext(gssp_status* minor, uint32_t IsInitiator, gssp_ctx_id_t* context_handle);

/* Releases what a context owns (the three logon buffers, the list, the
 * log), not the record itself. Goes on after a failure; the last failure is
 * reported. No context: 0xE3000400 / 0x020D0000. */
gssp_status QXNEGO_INT_DeleteNegContext(gssp_status* minor, NegContext* context);

#ifdef __cplusplus
}
#endif

#endif
