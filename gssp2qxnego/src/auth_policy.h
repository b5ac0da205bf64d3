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
 * were acquired. credential may be null. */
gssp_status QXNEGO_INT_SetAuthInfo(gssp_status* minor, const NegCredential* credential, NegContext* context);

/* The single user named by a principal text. Returns a minor code:
 * 0x230003E8 with *authentication_id (when given) a new NUL-terminated copy
 * from the plug-in's allocator, else 0xE300042A. */
gssp_status QXNEGO_INT_GetAuthIDFromName(const char* text, char** authentication_id);

/* Server, on every accept call after the token was decoded; does nothing
 * once the policy has been applied. */
gssp_status QXNEGO_INT_Apply_Policy_Info(gssp_status* minor, NegContext* context);

#ifdef __cplusplus
}
#endif

#endif
