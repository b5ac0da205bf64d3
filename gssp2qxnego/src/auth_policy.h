/* Who is logging on: the client's authentication data (explicit logon data
 * in the credential's name, or single sign-on through each mechanism's own
 * credential) and the server's per-user mechanism policy. */
#ifndef QXNEGO_AUTH_POLICY_H
#define QXNEGO_AUTH_POLICY_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Client, once, on the first init call after the mechanisms' credentials
 * were acquired. credential may be null. An "authcid" in the logon data of
 * the credential's name becomes the context's authentication ID (with its
 * "user" and "profile"); without one, every Available mechanism is asked
 * for the user of its own credential (single sign-on) and is rejected when
 * it cannot tell.
 *   no context                         0xE3000400 / 0x000D0000
 *   the logon data does not parse      the parser's minor / 0x000D0000
 *   no memory                          0xE30003F9 or 0xE30003F8 / 0x000D0000
 *   a framework copy or log record failed  that call's minor and major */
gssp_status QXNEGO_INT_SetAuthInfo(gssp_status* minor, const NegCredential* credential, NegContext* context);

/* The single user named by a principal text. Returns a minor code:
 * 0x230003E8 with *authentication_id (when given) a new NUL-terminated copy
 * from the plug-in's allocator, 0xE30003F8 when there was no memory for the
 * copy, else 0xE300042A. *authentication_id is null unless 0x230003E8. */
gssp_status QXNEGO_INT_GetAuthIDFromName(const char* text, char** authentication_id);

/* Server, on every accept call after the token was decoded; does nothing
 * once the policy has been applied. Rejects (Due to Policy) every mechanism
 * outside the user's allowed set; no user name, no set or an empty set
 * restricts nothing.
 *   no context                         0xE30003F7 / 0x020D0000
 *   no memory                          0xE30003F9 / 0x000D0000 (not applied)
 *   the policy query failed            that call's minor and major (not applied)
 *   a log record failed                that call's minor and major (not applied)
 *   every mechanism outside the set    0xE3000406 / 0x000D0000 (applied) */
gssp_status QXNEGO_INT_Apply_Policy_Info(gssp_status* minor, NegContext* context);

#ifdef __cplusplus
}
#endif

#endif
