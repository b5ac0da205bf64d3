// acquire_cred, release_cred and inquire_cred.
#include "gssapi.hpp"

#include "entry_points.hpp"
#include "names.hpp"
#include "records.hpp"
#include "status.hpp"

namespace qxkrb5 {

// No name: the default credential (for an initiator, the principal of the
// default credential cache). A name with a password gets a fresh credential
// for that principal from the KDC.
gssp_status AcquireCred(gssp_status* minor, gssp_name_t desired_name, uint32_t time_req, gssp_OID_set desired_mechs,
                        int cred_usage, gssp_cred_id_t* output_cred, gssp_OID_set* actual_mechs, uint32_t* time_rec) {
    if (actual_mechs) *actual_mechs = nullptr;
    if (!output_cred) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    *output_cred = nullptr;
    if (!WantsKerberos(desired_mechs)) return Report(minor, GSS_S_BAD_MECH, kMinorInvalidArgument);

    ImportedName name;
    if (desired_name) {
        const gssp_status major = ImportName(minor, *desired_name, &name);
        if (GSSP_ERROR(major)) return major;
    }
    GssCred cred;
    OM_uint32 m = 0;
    OM_uint32 major = 0;
    gss_OID_set_desc kerberos = {1, const_cast<gss_OID>(gss_mech_krb5)};
    if (name.has_password) {
        gss_buffer_desc password = {name.password.size(), &name.password[0]};
        major = gss_acquire_cred_with_password(&m, name.name.get(), &password, time_req, &kerberos, cred_usage,
                                               cred.out(), nullptr, time_rec);
    } else {
        major = gss_acquire_cred(&m, name.name.get(), time_req, &kerberos, cred_usage, cred.out(), nullptr, time_rec);
    }
    if (GSS_ERROR(major)) return Report(minor, major, m);
    if (actual_mechs) {
        const gssp_status set_major = KerberosOidSet(minor, actual_mechs);
        if (GSSP_ERROR(set_major)) return set_major;
    }
    *output_cred = cred.release();
    return Report(minor, major, m);
}

gssp_status ReleaseCred(gssp_status* minor, gssp_cred_id_t* cred) {
    if (!cred) return Report(minor, GSS_S_NO_CRED | GSS_S_CALL_INACCESSIBLE_READ, kMinorInvalidArgument);
    gss_cred_id_t handle = static_cast<gss_cred_id_t>(*cred);
    *cred = nullptr;
    if (handle == GSS_C_NO_CREDENTIAL) return Report(minor, GSS_S_NO_CRED, kMinorInvalidArgument);
    OM_uint32 m = 0;
    const OM_uint32 major = gss_release_cred(&m, &handle);
    return Report(minor, major, m);
}

// A null credential inquires the default one.
gssp_status InquireCred(gssp_status* minor, gssp_cred_id_t cred, gssp_name_t* name, uint32_t* lifetime,
                        int* cred_usage, gssp_OID_set* mechanisms) {
    if (name) *name = nullptr;
    if (mechanisms) *mechanisms = nullptr;
    GssName principal;
    OM_uint32 m = 0;
    gss_cred_usage_t usage = 0;
    const OM_uint32 major = gss_inquire_cred(&m, static_cast<gss_cred_id_t>(cred), name ? principal.out() : nullptr,
                                             lifetime, &usage, nullptr);
    if (GSS_ERROR(major)) return Report(minor, major, m);
    if (cred_usage) *cred_usage = usage;
    gssp_name_t exported = nullptr;
    if (name) {
        const gssp_status name_major = ExportName(minor, principal.get(), &exported);
        if (GSSP_ERROR(name_major)) return name_major;
    }
    if (mechanisms) {
        const gssp_status set_major = KerberosOidSet(minor, mechanisms);
        if (GSSP_ERROR(set_major)) {
            gssp_release_name(nullptr, &exported);
            return set_major;
        }
    }
    if (name) *name = exported;
    return Report(minor, major, m);
}

}  // namespace qxkrb5
