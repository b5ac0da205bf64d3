/* The one way an operation of the plug-in ends: write the minor status when
 * the caller gave a place for it, return the major status. */
#ifndef QXNEGO_STATUS_RESULT_H
#define QXNEGO_STATUS_RESULT_H

#include <stdint.h>

#include "qxgss_services.h"

static inline gssp_status qxnego_result(gssp_status* minor, uint32_t minor_value, gssp_status major) {
    if (minor != NULL) *minor = minor_value;
    return major;
}

#endif
