/* The list of mechanisms a negotiation offers: built once for the process
 * from the framework's table, copied into every context, changed only
 * through the state operations below, merged with the peer's reports, and
 * the rule that selects the mechanism.
 *
 * Every operation writes its minor status through the first argument when it
 * is not null and returns a GSS major status; success is minor 0x230003E8,
 * major 0. */
#ifndef QXNEGO_NEG_MECH_LIST_H
#define QXNEGO_NEG_MECH_LIST_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Builds a list from the negotiable list of QXNEGO's own framework entry
 * (qxnego_process_state.own_mech_index): every usable item that resolves to
 * an enabled mechanism of the table other than "PROXY" and QXNEGO itself,
 * whose properties 2, 17 and 8 can be read; the mechanisms with property 2
 * first, each group by ascending rank (property 17).
 *   no list                            0xE3000407 / 0x020D0000
 *   nothing to negotiate               0xE3000406 / 0x000D0000 (list empty)
 *   no memory                          0xE30003F9 / 0x000D0000 (list empty) */
gssp_status QXNEGO_INT_InitNegMechList(gssp_status* minor, NegMechList* list);

/* Copies the entries of source whose mechanism is enabled now into a new
 * array in destination (the copies share the OID descriptors); with a
 * context, logs each copy. On failure destination is empty.
 *   no destination                     0xE3000409 / 0x020D0000
 *   no source                          0xE3000409 / 0x010D0000
 *   empty source, or nothing enabled   0xE3000406 / 0x000D0000
 *   no memory                          0xE30003F9 / 0x000D0000
 *   a log record failed                that append's minor and major */
gssp_status QXNEGO_INT_GetNegMechList(gssp_status* minor, const NegMechList* source, NegMechList* destination,
                                      NegContext* context);

/* Gives back every entry's buffers, handles (through its mechanism's entry
 * points) and own OID bytes, then the array; the list is left empty. Every
 * entry is released even when a release fails; the last failure is
 * reported. No list: 0xE30003F6 / 0x020D0000. */
gssp_status QXNEGO_INT_ReleaseNegMechList(gssp_status* minor, NegMechList* list);

/* Changes an entry's state, reason and status and marks the change for the
 * peer; with a status text, the entry takes a copy of it.
 *   no entry                           0xE30003F7 / 0x020D0000
 *   state outside 1..3                 0xE300040D / 0x000D0000
 *   reason outside 1..8                0xE300040E / 0x000D0000
 *   copying the text failed            that call's minor and major (not marked) */
gssp_status QXNEGO_INT_SetMechState(gssp_status* minor, uint32_t state, uint32_t reason, uint32_t major_status,
                                    uint32_t minor_status, const gssp_buffer_desc* status_text, NegMechEntry* entry);

/* Selects the first Available mechanism of the context's list once its own
 * context is established and the policy has been applied (or takes the
 * peer's selection when the peer has completed); rejects the others.
 *   no context                         0xE30003F7 / 0x020D0000
 *   empty list                         0xE3000406 / 0x010D0000
 *   peer completed, no usable choice   0xE30003F3 / 0x000D0000
 *   an entry neither Available nor Rejected 0xE300040F / 0x000D0000
 *   every entry Rejected               0xE3000406 / 0x000D0000 (NegState Reject) */
gssp_status QXNEGO_INT_SelectMechanism(gssp_status* minor, NegContext* context);

/* Merges one decoded report of the peer into the context's list. The decoded
 * record's OID points to its own_oid, whose bytes come from qxnego_malloc;
 * its status text, input token and authentication ID are framework buffers.
 * Whatever the outcome, all of these are taken over or given back here: the
 * caller releases nothing of the record afterwards.
 *   no decoded record                  0xE30003F6 / 0x010D0000
 *   no context                         0xE30003F6 / 0x020D0000
 *   empty list                         0xE3000408 / 0x000D0000
 *   no OID, or an empty one            0xE300041B / 0x000D0000
 *   comparing OIDs failed              that call's minor / 0x000D0000
 *   the peer's state or reason invalid 0xE300040D or 0xE300040E / 0x000D0000
 *   no memory for a new entry          0xE30003F9 / 0x000D0000 (list unchanged)
 *   a log record or release failed     that call's minor and major */
gssp_status QXNEGO_INT_ProcessNegMech(gssp_status* minor, NegMechEntry* decoded, NegContext* context);

#ifdef __cplusplus
}
#endif

#endif
