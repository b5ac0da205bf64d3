// The per-message services: wrap_size_limit, wrap, unwrap, get_mic and
// verify_mic, straight to the library with the context's own handle.
#include "gssapi.hpp"

#include "entry_points.hpp"
#include "gss_holders.hpp"
#include "records.hpp"
#include "status.hpp"

namespace qxkrb5 {
namespace {

gss_ctx_id_t Handle(gssp_ctx_id_t context) { return static_cast<gss_ctx_id_t>(context); }

// The checks every call that takes a message makes.
gssp_status CheckMessage(gssp_status* minor, gssp_ctx_id_t context, const gssp_buffer_desc* message) {
    if (!context) return Report(minor, GSS_S_NO_CONTEXT | GSS_S_CALL_INACCESSIBLE_READ, kMinorInvalidArgument);
    if (!ValidBuffer(message)) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_READ, kMinorInvalidArgument);
    return Report(minor, GSS_S_COMPLETE, 0);
}

// A produced token or message goes to the framework's buffer, or the
// library's status when there is none.
gssp_status Hand(gssp_status* minor, OM_uint32 major, OM_uint32 m, const GssBuffer& produced, gssp_buffer_t out) {
    if (GSS_ERROR(major)) return Report(minor, major, m);
    const gssp_status copied = CopyOut(minor, *produced, out);
    if (GSSP_ERROR(copied)) return copied;
    return Report(minor, major, m);
}

}  // namespace

gssp_status WrapSizeLimit(gssp_status* minor, gssp_ctx_id_t context, int conf_req, uint32_t qop_req,
                          uint32_t req_output_size, uint32_t* max_input_size) {
    if (!context) return Report(minor, GSS_S_NO_CONTEXT | GSS_S_CALL_INACCESSIBLE_READ, kMinorInvalidArgument);
    if (!max_input_size) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    OM_uint32 m = 0;
    const OM_uint32 major = gss_wrap_size_limit(&m, Handle(context), conf_req, qop_req, req_output_size, max_input_size);
    return Report(minor, major, m);
}

gssp_status Wrap(gssp_status* minor, gssp_ctx_id_t context, int conf_req, uint32_t qop_req, gssp_buffer_t input,
                 int* conf_state, gssp_buffer_t output) {
    SetEmpty(output);
    gssp_status major = CheckMessage(minor, context, input);
    if (GSSP_ERROR(major)) return major;
    if (!output) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    gss_buffer_desc in = View(input);
    GssBuffer out;
    OM_uint32 m = 0;
    const OM_uint32 wrapped = gss_wrap(&m, Handle(context), conf_req, qop_req, &in, conf_state, out.get());
    return Hand(minor, wrapped, m, out, output);
}

gssp_status Unwrap(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t input, gssp_buffer_t output,
                   int* conf_state, uint32_t* qop_state) {
    SetEmpty(output);
    gssp_status major = CheckMessage(minor, context, input);
    if (GSSP_ERROR(major)) return major;
    if (!output) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    gss_buffer_desc in = View(input);
    GssBuffer out;
    OM_uint32 m = 0;
    gss_qop_t qop = 0;
    const OM_uint32 unwrapped = gss_unwrap(&m, Handle(context), &in, out.get(), conf_state, &qop);
    if (qop_state) *qop_state = qop;
    return Hand(minor, unwrapped, m, out, output);
}

gssp_status GetMic(gssp_status* minor, gssp_ctx_id_t context, uint32_t qop_req, gssp_buffer_t message,
                   gssp_buffer_t token) {
    SetEmpty(token);
    gssp_status major = CheckMessage(minor, context, message);
    if (GSSP_ERROR(major)) return major;
    if (!token) return Report(minor, GSS_S_FAILURE | GSS_S_CALL_INACCESSIBLE_WRITE, kMinorInvalidArgument);
    gss_buffer_desc in = View(message);
    GssBuffer out;
    OM_uint32 m = 0;
    const OM_uint32 signed_major = gss_get_mic(&m, Handle(context), qop_req, &in, out.get());
    return Hand(minor, signed_major, m, out, token);
}

gssp_status VerifyMic(gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t message, gssp_buffer_t token,
                      uint32_t* qop_state) {
    gssp_status major = CheckMessage(minor, context, message);
    if (GSSP_ERROR(major)) return major;
    if (!ValidBuffer(token)) return Report(minor, GSS_S_DEFECTIVE_TOKEN, kMinorInvalidArgument);
    gss_buffer_desc in = View(message);
    gss_buffer_desc mic = View(token);
    OM_uint32 m = 0;
    gss_qop_t qop = 0;
    const OM_uint32 verified = gss_verify_mic(&m, Handle(context), &in, &mic, &qop);
    if (qop_state) *qop_state = qop;
    return Report(minor, verified, m);
}

}  // namespace qxkrb5
