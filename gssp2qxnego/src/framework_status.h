/* The framework's minor status codes that the plug-in carries, so that it can
 * put the text of a framework minor status into its own messages, and the
 * codes of that table the plug-in reports itself. The framework's success,
 * "not available" and "ASN.1 tag not found" codes come from the services
 * header. */
#ifndef QXNEGO_FRAMEWORK_STATUS_H
#define QXNEGO_FRAMEWORK_STATUS_H

#include <stdint.h>

#include "qxgss_services.h"

/* "An argument was not valid." */
#define QXNEGO_FW_E_INVALID_ARGUMENT QXGSS_MINOR_INVALID_ARGUMENT

/* "This mechanism has failed to initialize properly and will be disabled." */
#define QXNEGO_FW_W_MECH_DISABLED 0xA100012Bu

/* The framework's message for a minor status, or "?". */
const char* QXNEGO_INT_FrameworkMessage(uint32_t minor);

#endif
