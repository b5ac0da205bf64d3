// Status texts, start-up, names handed back and user properties.
#include "gssapi.hpp"

#include <cstring>

#include "entry_points.hpp"
#include "gss_holders.hpp"
#include "records.hpp"
#include "status.hpp"

namespace qxkrb5 {

const char* OwnMinorText(gssp_status code) {
    switch (code) {
        case kMinorInvalidArgument: return "An argument is not valid for the Kerberos mechanism.";
        case kMinorNoMemory: return "Out of memory.";
        case kMinorNameNotConvertible: return "The name cannot be converted to a Kerberos name.";
        default: return nullptr;
    }
}

// Minor codes are the library's (or the few of OwnMinorText); major codes
// get the library's text.
gssp_status DisplayStatus(gssp_status* minor, uint32_t status_value, int status_type, gssp_OID /*mech_type*/,
                          uint32_t* message_context, gssp_buffer_t status_string) {
    SetEmpty(status_string);
    if (!status_string) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    if (status_type != GSS_C_GSS_CODE && status_type != GSS_C_MECH_CODE)
        return Report(minor, GSS_S_BAD_STATUS, kMinorInvalidArgument);
    OM_uint32 local_context = 0;
    OM_uint32* context = message_context ? message_context : &local_context;
    if (status_type == GSS_C_MECH_CODE) {
        if (const char* own = OwnMinorText(status_value)) {
            *context = 0;
            const gss_buffer_desc text = {std::strlen(own), const_cast<char*>(own)};
            return CopyOut(minor, text, status_string);
        }
    }
    GssBuffer text;
    OM_uint32 m = 0;
    const OM_uint32 major = gss_display_status(&m, status_value, status_type, const_cast<gss_OID>(gss_mech_krb5),
                                               context, text.get());
    if (GSS_ERROR(major)) return Report(minor, major, m);
    const gssp_status copied = CopyOut(minor, *text, status_string);
    if (GSSP_ERROR(copied)) return copied;
    return Report(minor, major, m);
}

// Names the adapter hands out are the framework's.
gssp_status ReleaseName(gssp_status* minor, gssp_name_t* name) { return gssp_release_name(minor, name); }

// Kerberos contexts carry no user-property records: the buffer stays empty.
gssp_status InquirePropertiesForUser(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t properties) {
    SetEmpty(properties);
    if (!context) return Report(minor, GSS_S_NO_CONTEXT | GSS_S_CALL_INACCESSIBLE_READ, kMinorInvalidArgument);
    if (!properties) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    return Report(minor, GSS_S_COMPLETE, 0);
}

// The library reads its own configuration (KRB5_CONFIG) when first used.
gssp_status Configure(gssp_status* minor, gssp_buffer_t /*messages*/) { return Report(minor, GSS_S_COMPLETE, 0); }

}  // namespace qxkrb5
