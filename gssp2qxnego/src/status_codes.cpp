// The mechanism's message table, its look-up, and QXNEGO_display_status, the
// entry point through which the framework turns one of this mechanism's
// minor status codes into text.
#include <string.h>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "plugin_memory.h"

namespace {

struct MechanismMessage {
    uint32_t code;
    const char* message;
};

#define QXNEGO_STATUS_ROW(name, code, message) {code, message},
const MechanismMessage kMechanismMessages[] = {QXNEGO_MECHANISM_STATUS_TABLE(QXNEGO_STATUS_ROW)};
#undef QXNEGO_STATUS_ROW

const char kUnknownMessage[] = "?";

gssp_status finish(gssp_status* minor, uint32_t minor_value, gssp_status major) {
    if (minor != NULL) {
        *minor = minor_value;
    }
    return major;
}

bool same_oid(const gssp_OID_desc* a, const gssp_OID_desc* b) {
    if (a == b) {
        return true;
    }
    if (a == NULL || b == NULL || a->length != b->length) {
        return false;
    }
    if (a->length == 0) {
        return true;
    }
    return a->elements != NULL && b->elements != NULL && memcmp(a->elements, b->elements, a->length) == 0;
}

}  // namespace

const char* QXNEGO_INT_MechanismMessage(uint32_t minor) {
    for (const MechanismMessage& row : kMechanismMessages) {
        if (row.code == minor) {
            return row.message;
        }
    }
    return kUnknownMessage;
}

extern "C" gssp_status QXNEGO_display_status(gssp_status* minor, uint32_t status_value, int status_type,
                                             gssp_OID mech_type, uint32_t* message_context,
                                             gssp_buffer_t status_string) {
    if (mech_type == NULL) {
        return finish(minor, QXNEGO_S_SUCCESS, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    }
    gssp_status framework_minor = 0;
    gssp_OID own = NULL;
    if (GSSP_ERROR(gssp_mechstr_to_oid(&framework_minor, "QXNEGO", &own))) {
        return finish(minor, framework_minor, GSSP_S_FAILURE);
    }
    if (!same_oid(mech_type, own)) {
        return finish(minor, QXNEGO_E_BAD_MECH_OID, GSSP_S_BAD_MECH);
    }
    if (status_type != GSSP_C_MECH_CODE) {
        return finish(minor, QXNEGO_E_BAD_MECH_OID, GSSP_S_BAD_STATUS);
    }
    if (QXNEGO_MINOR_ORIGINATOR(status_value) != QXNEGO_MINOR_ORIGINATOR_MECHANISM ||
        (status_value & QXNEGO_MINOR_FIXED_BIT) == 0) {
        return finish(minor, QXNEGO_W_NOT_OUR_STATUS, GSSP_S_BAD_STATUS);
    }
    if (status_string == NULL) {
        return finish(minor, QXNEGO_E_NULL_BUFFER, GSSP_S_FAILURE);
    }
    const char* message = QXNEGO_INT_MechanismMessage(status_value);
    if (message == kUnknownMessage) {
        return finish(minor, QXNEGO_W_NOT_OUR_STATUS, GSSP_S_BAD_STATUS);
    }
    size_t length = strlen(message);
    char* copy = (char*)qxnego_malloc(length + 1);
    if (copy == NULL) {
        return finish(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    }
    memcpy(copy, message, length + 1);
    status_string->length = length;
    status_string->value = copy;
    if (message_context != NULL) {
        *message_context = 0;
    }
    return finish(minor, QXNEGO_S_SUCCESS, GSSP_S_COMPLETE);
}
