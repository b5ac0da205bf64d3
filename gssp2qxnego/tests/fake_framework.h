/* A small fake of the framework calls the plug-in's helpers make, with
 * switches for the tests: a call can be made to fail, the principal-parser
 * handles are counted, and one extra mechanism can be given any name. */
#ifndef QXNEGO_FAKE_FRAMEWORK_H
#define QXNEGO_FAKE_FRAMEWORK_H

#include <stdint.h>

#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The mechanisms the fake knows: name, OID (DER content bytes), dotted text. */
#define FAKE_QXNEGO_DOTTED "1.3.6.1.4.1.32473.1.1"
#define FAKE_QXKRB_DOTTED "1.3.6.1.4.1.32473.1.2"
#define FAKE_EXTRA_DOTTED "1.3.6.1.4.1.32473.1.9"

QXGSS_API extern gssp_OID_desc fake_qxnego_oid;
QXGSS_API extern gssp_OID_desc fake_qxkrb_oid;
QXGSS_API extern gssp_OID_desc fake_extra_oid;  /* named by fake_set_extra_mech_name */
QXGSS_API extern gssp_OID_desc fake_unknown_oid; /* known to no call */

/* Makes the named gssp_ call fail with these statuses until fake_reset. */
QXGSS_API void fake_fail_call(const char* call, gssp_status major, gssp_status minor);
/* Makes the named gssp_ call succeed but hand out null. */
QXGSS_API void fake_null_result(const char* call);
QXGSS_API void fake_set_extra_mech_name(const char* name);
QXGSS_API void fake_reset(void);

/* Handles from qxat_parse, and qxat_free calls (with or without a handle). */
QXGSS_API int fake_parse_handles(void);
QXGSS_API int fake_free_calls(void);
QXGSS_API int fake_live_handles(void);

#ifdef __cplusplus
}
#endif

#endif
