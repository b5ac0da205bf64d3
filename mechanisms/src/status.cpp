// Start-up, status texts and the user properties.
#include <cstdlib>
#include <cstring>
#include <string>

#include "entry_points.hpp"
#include "handles.hpp"
#include "token.hpp"

namespace qxtest {
namespace {

struct Text {
    gssp_status code;
    const char* text;
};

constexpr Text kMinorTexts[] = {
    {QXTEST_MINOR_SUCCESS, "The test mechanism completed the call."},
    {QXTEST_MINOR_CONTINUE, "The test mechanism needs another token."},
    {QXTEST_MINOR_BAD_TOKEN, "The token is not a token of the test mechanism."},
    {QXTEST_MINOR_OTHER_MECH, "The token belongs to another test mechanism."},
    {QXTEST_MINOR_WRONG_LEG, "The token is not the one this step of the exchange expects."},
    {QXTEST_MINOR_WRONG_NONCE, "The token belongs to another exchange."},
    {QXTEST_MINOR_BAD_HANDLE, "The handle is not a live handle of this test mechanism."},
    {QXTEST_MINOR_NOT_READY, "The security context is not yet established."},
    {QXTEST_MINOR_INTEGRITY, "The message or its token was changed."},
    {QXTEST_MINOR_BAD_ARGUMENT, "A required argument is missing."},
    {QXTEST_MINOR_NO_MEMORY, "Out of memory."},
    {QXTEST_MINOR_WRONG_USAGE, "The credential's usage does not allow this call."},
    {QXTEST_MINOR_ALREADY_COMPLETE, "The security context is already established."},
    {QXTEST_MINOR_NO_IDENTITY, "The default credential names no identity."},
    {QXTEST_MINOR_BAD_MECH, "The desired mechanisms do not include this test mechanism."},
    {QXGSS_MINOR_UNAVAILABLE, "This function is not available for the requested security mechanism"},
};

constexpr Text kMajorTexts[] = {
    {GSSP_S_COMPLETE, "The call completed."},
    {GSSP_S_CONTINUE_NEEDED, "A continuation call is needed."},
    {GSSP_S_BAD_MECH, "An unsupported mechanism was requested."},
    {kBadSig, "A token had an invalid integrity value."},
    {GSSP_S_NO_CRED, "No credential was supplied, or it is unusable."},
    {GSSP_S_NO_CONTEXT, "No context has been established."},
    {kDefectiveToken, "A token was invalid."},
    {GSSP_S_FAILURE, "Miscellaneous failure."},
    {GSSP_S_UNAVAILABLE, "The operation is not available."},
};

template <std::size_t N>
const char* Find(const Text (&table)[N], gssp_status code) {
    for (const Text& t : table) {
        if (t.code == code) return t.text;
    }
    return nullptr;
}

}  // namespace

gssp_status Configure(const Mechanism& mech, gssp_acquire_cred_fn self, gssp_status* minor, gssp_buffer_t messages) {
    // The framework binds the entry points before configuring: the table
    // entry that holds this prefix's acquire_cred is this mechanism, under
    // whatever name the configuration gave it.
    gssp_OID oid = nullptr;
    const char* name = nullptr;
    for (uint32_t i = 0; pMechInfo && i < MechCount; ++i) {
        if (pMechInfo[i].acquire_cred == self && pMechInfo[i].name) {
            name = pMechInfo[i].name;
            break;
        }
    }
    if (!name || gssp_mechstr_to_oid(nullptr, name, &oid) != GSSP_S_COMPLETE || !oid) {
        return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_BAD_MECH);
    }
    SetMechanismOid(mech, oid);
    if (messages && !PutBuffer(std::string("test mechanism ") + mech.prefix + " configured", messages)) {
        return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    }
    return Ok(minor);
}

gssp_status DisplayStatus(const Mechanism& mech, gssp_status* minor, uint32_t status_value, int status_type,
                          gssp_OID /*mech_type*/, uint32_t* message_context, gssp_buffer_t status_string) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_DISPLAY_STATUS, minor, &major)) return major;
    if (message_context) *message_context = 0;
    if (!status_string) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    status_string->length = 0;
    status_string->value = nullptr;
    std::string text;
    if (status_type == GSSP_C_MECH_CODE) {
        const Script script = CurrentScript(mech);
        bool scripted = false;
        for (const auto& [code, t] : script.statusTexts) {
            if (code == status_value) {
                text = t;
                scripted = true;
                break;
            }
        }
        if (!scripted) {
            const char* own = Find(kMinorTexts, status_value);
            text = own ? own : "?";
        }
    } else if (status_type == GSSP_C_GSS_CODE) {
        const char* t = Find(kMajorTexts, status_value);
        text = t ? t : "?";
    } else {
        return Done(minor, GSSP_S_BAD_STATUS, QXTEST_MINOR_BAD_ARGUMENT);
    }
    if (!PutBuffer(text, status_string)) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    return Ok(minor);
}

gssp_status InquirePropertiesForUser(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t context,
                                     gssp_buffer_t properties) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_INQUIRE_PROPERTIES_FOR_USER, minor, &major)) return major;
    if (!properties) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    properties->length = 0;
    properties->value = nullptr;
    const Context* c = FindContext(mech, context);
    if (!c) return Done(minor, GSSP_S_NO_CONTEXT, QXTEST_MINOR_BAD_HANDLE);
    if (!c->complete) return Done(minor, GSSP_S_NO_CONTEXT, QXTEST_MINOR_NOT_READY);
    const Script script = CurrentScript(mech);
    const std::string bytes(script.properties.begin(), script.properties.end());
    if (!PutBuffer(bytes, properties)) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    return Ok(minor);
}

}  // namespace qxtest
