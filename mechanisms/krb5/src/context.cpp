// Context establishment, deletion and inquiry.
#include "gssapi.hpp"

#include <cstring>

#include "entry_points.hpp"
#include "names.hpp"
#include "records.hpp"
#include "status.hpp"

namespace qxkrb5 {
namespace {

// Every context authenticates the acceptor to the initiator and protects
// its messages, whatever else the caller asks for.
constexpr OM_uint32 kRequiredFlags = GSS_C_MUTUAL_FLAG | GSS_C_INTEG_FLAG | GSS_C_CONF_FLAG;

bool IsKerberosOrNone(const gssp_OID_desc* mech) {
    return !mech || (mech->length == gss_mech_krb5->length && mech->elements &&
                     std::memcmp(mech->elements, gss_mech_krb5->elements, mech->length) == 0);
}

// The checks both sides make before the library sees anything. Channel
// bindings are an opaque framework record the adapter cannot map; a caller
// that asks for them is refused rather than silently left unbound.
gssp_status CheckLeg(gssp_status* minor, gssp_ctx_id_t* context, gssp_channel_bindings_t bindings,
                     const gssp_buffer_desc* input, gssp_buffer_t output) {
    SetEmpty(output);
    if (!context || !output) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    if (bindings) return Report(minor, GSS_S_BAD_BINDINGS, kMinorInvalidArgument);
    if (!ValidBuffer(input)) return Report(minor, GSS_S_DEFECTIVE_TOKEN, kMinorInvalidArgument);
    return Report(minor, GSS_S_COMPLETE, 0);
}

}  // namespace

gssp_status InitSecContext(gssp_status* minor, gssp_cred_id_t claimant_cred, gssp_ctx_id_t* context,
                           gssp_name_t target_name, gssp_OID mech_type, uint32_t req_flags, uint32_t time_req,
                           gssp_channel_bindings_t bindings, gssp_buffer_t input_token, gssp_OID* actual_mech_type,
                           gssp_buffer_t output_token, uint32_t* ret_flags, uint32_t* time_rec) {
    if (actual_mech_type) *actual_mech_type = nullptr;
    gssp_status major = CheckLeg(minor, context, bindings, input_token, output_token);
    if (GSSP_ERROR(major)) return major;
    if (!IsKerberosOrNone(mech_type)) return Report(minor, GSS_S_BAD_MECH, kMinorInvalidArgument);

    ImportedName target;
    if (target_name) {
        major = ImportName(minor, *target_name, &target);
        if (GSSP_ERROR(major)) return major;
        if (target.has_password) return Report(minor, GSS_S_BAD_NAME, kMinorNameNotConvertible);
    } else {
        major = ImportDefaultTarget(minor, &target.name);
        if (GSSP_ERROR(major)) return major;
    }

    gss_ctx_id_t handle = static_cast<gss_ctx_id_t>(*context);
    gss_buffer_desc input = View(input_token);
    GssBuffer output;
    OM_uint32 m = 0;
    const OM_uint32 leg = gss_init_sec_context(
        &m, static_cast<gss_cred_id_t>(claimant_cred), &handle, target.name.get(), const_cast<gss_OID>(gss_mech_krb5),
        req_flags | kRequiredFlags, time_req, GSS_C_NO_CHANNEL_BINDINGS, &input, nullptr, output.get(), ret_flags,
        time_rec);
    *context = handle;
    if (GSS_ERROR(leg)) return Report(minor, leg, m);
    major = CopyOut(minor, *output, output_token);
    if (GSSP_ERROR(major)) return major;
    if (actual_mech_type) *actual_mech_type = MechOid();
    return Report(minor, leg, m);
}

// A null acceptor credential accepts with the default keytab's keys.
gssp_status AcceptSecContext(gssp_status* minor, gssp_ctx_id_t* context, gssp_cred_id_t acceptor_cred,
                             gssp_buffer_t input_token, gssp_channel_bindings_t bindings, gssp_name_t* src_name,
                             gssp_OID* mech_type, gssp_buffer_t output_token, uint32_t* ret_flags,
                             uint32_t* time_rec, gssp_cred_id_t* delegated_cred) {
    if (src_name) *src_name = nullptr;
    if (mech_type) *mech_type = nullptr;
    if (delegated_cred) *delegated_cred = nullptr;
    gssp_status major = CheckLeg(minor, context, bindings, input_token, output_token);
    if (GSSP_ERROR(major)) return major;
    if (!input_token || input_token->length == 0) return Report(minor, GSS_S_DEFECTIVE_TOKEN, kMinorInvalidArgument);

    gss_ctx_id_t handle = static_cast<gss_ctx_id_t>(*context);
    gss_buffer_desc input = View(input_token);
    GssBuffer output;
    GssName source;
    GssCred delegated;
    OM_uint32 m = 0;
    const OM_uint32 leg = gss_accept_sec_context(&m, &handle, static_cast<gss_cred_id_t>(acceptor_cred), &input,
                                                 GSS_C_NO_CHANNEL_BINDINGS, src_name ? source.out() : nullptr,
                                                 nullptr, output.get(), ret_flags, time_rec,
                                                 delegated_cred ? delegated.out() : nullptr);
    *context = handle;
    if (GSS_ERROR(leg)) return Report(minor, leg, m);
    gssp_name_t exported = nullptr;
    if (src_name) {
        major = ExportName(minor, source.get(), &exported);
        if (GSSP_ERROR(major)) return major;
    }
    major = CopyOut(minor, *output, output_token);
    if (GSSP_ERROR(major)) {
        gssp_release_name(nullptr, &exported);
        return major;
    }
    if (src_name) *src_name = exported;
    if (delegated_cred) *delegated_cred = delegated.release();
    if (mech_type) *mech_type = MechOid();
    return Report(minor, leg, m);
}

gssp_status DeleteSecContext(gssp_status* minor, gssp_ctx_id_t* context, gssp_buffer_t output_token) {
    SetEmpty(output_token);
    if (!context) return Report(minor, GSS_S_NO_CONTEXT | GSS_S_CALL_INACCESSIBLE_READ, kMinorInvalidArgument);
    gss_ctx_id_t handle = static_cast<gss_ctx_id_t>(*context);
    *context = nullptr;
    if (handle == GSS_C_NO_CONTEXT) return Report(minor, GSS_S_NO_CONTEXT, kMinorInvalidArgument);
    GssBuffer output;
    OM_uint32 m = 0;
    const OM_uint32 major = gss_delete_sec_context(&m, &handle, output_token ? output.get() : GSS_C_NO_BUFFER);
    if (GSS_ERROR(major)) return Report(minor, major, m);
    if (output_token) {
        const gssp_status copied = CopyOut(minor, *output, output_token);
        if (GSSP_ERROR(copied)) return copied;
    }
    return Report(minor, major, m);
}

gssp_status InquireContext(gssp_status* minor, gssp_ctx_id_t context, gssp_name_t* src_name, gssp_name_t* targ_name,
                           uint32_t* lifetime_rec, gssp_OID* mech_type, uint32_t* ctx_flags, int* locally_initiated,
                           int* open) {
    if (src_name) *src_name = nullptr;
    if (targ_name) *targ_name = nullptr;
    if (mech_type) *mech_type = nullptr;
    if (!context) return Report(minor, GSS_S_NO_CONTEXT | GSS_S_CALL_INACCESSIBLE_READ, kMinorInvalidArgument);
    GssName source, target;
    OM_uint32 m = 0;
    const OM_uint32 major =
        gss_inquire_context(&m, static_cast<gss_ctx_id_t>(context), src_name ? source.out() : nullptr,
                            targ_name ? target.out() : nullptr, lifetime_rec, nullptr, ctx_flags, locally_initiated,
                            open);
    if (GSS_ERROR(major)) return Report(minor, major, m);
    gssp_name_t source_out = nullptr, target_out = nullptr;
    if (src_name) {
        const gssp_status named = ExportName(minor, source.get(), &source_out);
        if (GSSP_ERROR(named)) return named;
    }
    if (targ_name) {
        const gssp_status named = ExportName(minor, target.get(), &target_out);
        if (GSSP_ERROR(named)) {
            gssp_release_name(nullptr, &source_out);
            return named;
        }
    }
    if (src_name) *src_name = source_out;
    if (targ_name) *targ_name = target_out;
    if (mech_type) *mech_type = MechOid();
    return Report(minor, major, m);
}

}  // namespace qxkrb5
