// QXNEGO_configure: builds the process-wide state once, when the framework
// starts. A failing step ends it; its message, naming the call and the
// reason, is appended to the caller's message buffer, and what was built
// before stays in place.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "framework_status.h"
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_mech_list.h"
#include "plugin_memory.h"
#include "process_state.h"
#include "status_result.h"

namespace {

// Message formats; %s is the text of the failing call's minor status.
const char kMechstrToOid[] = "QXNEGO_configure:  Error when calling gssp_mechstr_to_oid(%s) Mechanism Disabled";
const char kOidToMechindex[] =
    "QXNEGO_configure: Error when calling functiom gssp_oid_to_mechindex(%s) Mechanism Disabled";
const char kCreateEmptySet[] = "QXNEGO_configure: Error when calling gssp_create_empty_oid_set(%s) Mechanism Disabled";
const char kAddSetMember[] = "QXNEGO_configure: Error when calling gssp_add_oid_set_member(%s) Mechanism Disabled";
const char kInitNegMechList[] =
    "QXNEGO_configure: Error when calling QXNEGO_INT_InitNegMechList(%s) Mechanism Disabled";
const char kDuplicateSet[] = "QXNEGO_configure: Error when calling gssp_duplicate_oid_set(%s) Mechanism Disabled";

const size_t kMaxMessage = 511;

// Appends text (no NUL) to the caller's buffer, whose bytes are the
// framework's: the grown buffer comes from malloc's family, the old bytes go
// back through the framework.
bool Append(gssp_buffer_t messages, const char* text, size_t length) {
    const size_t old_length = (size_t)messages->length;
    unsigned char* grown = (unsigned char*)qxnego_malloc(old_length + length);
    if (grown == nullptr) return false;
    if (old_length != 0 && messages->value != nullptr) memcpy(grown, messages->value, old_length);
    memcpy(grown + old_length, text, length);
    gssp_buffer_desc old = *messages;
    gssp_status m = 0;
    if (old.value != nullptr) gssp_release_buffer(&m, &old);
    messages->value = grown;
    messages->length = old_length + length;
    return true;
}

gssp_status Fail(gssp_status* minor, gssp_buffer_t messages, const char* format, const char* reason) {
    char text[kMaxMessage + 1];
    int n = snprintf(text, sizeof text, format, reason);
    size_t length = n < 0 ? 0 : ((size_t)n > kMaxMessage ? kMaxMessage : (size_t)n);
    if (messages != nullptr && !Append(messages, text, length))
        return qxnego_result(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    return qxnego_result(minor, QXNEGO_FW_W_MECH_DISABLED, GSSP_S_FAILURE);
}

// A new set holding the given OIDs, in order; the step's format on failure.
gssp_status BuildSet(gssp_status* minor, gssp_buffer_t messages, gssp_OID_set* set,
                     std::initializer_list<gssp_OID> members) {
    gssp_status m = 0;
    if (GSSP_ERROR(gssp_create_empty_oid_set(&m, set)))
        return Fail(minor, messages, kCreateEmptySet, QXNEGO_INT_FrameworkMessage(m));
    for (gssp_OID oid : members) {
        if (GSSP_ERROR(gssp_add_oid_set_member(&m, oid, set)))
            return Fail(minor, messages, kAddSetMember, QXNEGO_INT_FrameworkMessage(m));
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

}  // namespace

extern "C" gssp_status QXNEGO_configure(gssp_status* minor, void*, void*, gssp_buffer_t messages) {
    if (minor == nullptr) return GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE;
    QxnegoProcessState& s = qxnego_process_state;
    gssp_status m = 0;
    // A configuration that already ran (or failed part way) is given back
    // first, so that nothing it built is lost when it is built again.
    QXNEGO_INT_ReleaseProcessState(&m);
    if (GSSP_ERROR(gssp_mechstr_to_oid(&m, "QXNEGO", &s.own_oid)))
        return Fail(minor, messages, kMechstrToOid, QXNEGO_INT_FrameworkMessage(m));

    uint32_t index = GSSP_NO_MECH_INDEX;
    m = QXGSS_MINOR_SUCCESS;
    if (GSSP_ERROR(gssp_oid_to_mechindex(&m, s.own_oid, &index)) || index == GSSP_NO_MECH_INDEX)
        return Fail(minor, messages, kOidToMechindex, QXNEGO_INT_FrameworkMessage(m));
    s.own_mech_index = (int32_t)index;

    gssp_status major = BuildSet(minor, messages, &s.actual_mechs, {s.own_oid});
    if (GSSP_ERROR(major)) return major;

    if (GSSP_ERROR(QXNEGO_INT_InitNegMechList(&m, &s.mech_list)))
        return Fail(minor, messages, kInitNegMechList, QXNEGO_INT_MechanismMessage(m));

    major = BuildSet(minor, messages, &s.utf8_name_types, {GSS_C_NT_QXAT_MECHDATA_UTF8});
    if (GSSP_ERROR(major)) return major;
    major = BuildSet(minor, messages, &s.accepted_name_types,
                     {GSS_C_NT_QXAT_MECHDATA, GSS_C_NT_QXAT_MECHDATA_UTF8, GSS_C_NT_QXAT_MECHDATA_UTF16,
                      GSS_C_NT_QXAT_MECHDATA_UTF32});
    if (GSSP_ERROR(major)) return major;
    if (GSSP_ERROR(gssp_duplicate_oid_set(&m, s.accepted_name_types, &s.advertised_name_types)))
        return Fail(minor, messages, kDuplicateSet, QXNEGO_INT_FrameworkMessage(m));
    if (GSSP_ERROR(gssp_add_oid_set_member(&m, GSS_C_NT_HOSTBASED_SERVICE, &s.advertised_name_types)))
        return Fail(minor, messages, kAddSetMember, QXNEGO_INT_FrameworkMessage(m));
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}
