// The exports under the prefix QXKRB5: thin wrappers around the
// implementation. No exception leaves an entry point; the only one the
// implementation can meet is out of memory.
#include <new>

#include "entry_points.hpp"
#include "status.hpp"

#define QXKRB5_ENTRY extern "C" __attribute__((visibility("default"))) gssp_status

namespace {

template <typename Call>
gssp_status Guard(gssp_status* minor, Call call) {
    try {
        return call();
    } catch (...) {
        return qxkrb5::Report(minor, GSSP_S_FAILURE, qxkrb5::kMinorNoMemory);
    }
}

}  // namespace

QXKRB5_ENTRY QXKRB5_acquire_cred(gssp_status* m, gssp_name_t n, uint32_t t, gssp_OID_set s, int u, gssp_cred_id_t* c,
                                 gssp_OID_set* a, uint32_t* r) {
    return Guard(m, [&] { return qxkrb5::AcquireCred(m, n, t, s, u, c, a, r); });
}
QXKRB5_ENTRY QXKRB5_release_cred(gssp_status* m, gssp_cred_id_t* c) {
    return Guard(m, [&] { return qxkrb5::ReleaseCred(m, c); });
}
QXKRB5_ENTRY QXKRB5_inquire_cred(gssp_status* m, gssp_cred_id_t c, gssp_name_t* n, uint32_t* l, int* u,
                                 gssp_OID_set* s) {
    return Guard(m, [&] { return qxkrb5::InquireCred(m, c, n, l, u, s); });
}
QXKRB5_ENTRY QXKRB5_init_sec_context(gssp_status* m, gssp_cred_id_t cr, gssp_ctx_id_t* cx, gssp_name_t tn,
                                     gssp_OID mt, uint32_t rf, uint32_t tr, gssp_channel_bindings_t cb,
                                     gssp_buffer_t in, gssp_OID* am, gssp_buffer_t out, uint32_t* f, uint32_t* t) {
    return Guard(m, [&] { return qxkrb5::InitSecContext(m, cr, cx, tn, mt, rf, tr, cb, in, am, out, f, t); });
}
QXKRB5_ENTRY QXKRB5_accept_sec_context(gssp_status* m, gssp_ctx_id_t* cx, gssp_cred_id_t cr, gssp_buffer_t in,
                                       gssp_channel_bindings_t cb, gssp_name_t* sn, gssp_OID* mt, gssp_buffer_t out,
                                       uint32_t* f, uint32_t* t, gssp_cred_id_t* d) {
    return Guard(m, [&] { return qxkrb5::AcceptSecContext(m, cx, cr, in, cb, sn, mt, out, f, t, d); });
}
QXKRB5_ENTRY QXKRB5_delete_sec_context(gssp_status* m, gssp_ctx_id_t* c, gssp_buffer_t o) {
    return Guard(m, [&] { return qxkrb5::DeleteSecContext(m, c, o); });
}
QXKRB5_ENTRY QXKRB5_inquire_context(gssp_status* m, gssp_ctx_id_t c, gssp_name_t* sn, gssp_name_t* tn, uint32_t* l,
                                    gssp_OID* mt, uint32_t* f, int* li, int* o) {
    return Guard(m, [&] { return qxkrb5::InquireContext(m, c, sn, tn, l, mt, f, li, o); });
}
QXKRB5_ENTRY QXKRB5_wrap_size_limit(gssp_status* m, gssp_ctx_id_t c, int cf, uint32_t q, uint32_t s, uint32_t* x) {
    return Guard(m, [&] { return qxkrb5::WrapSizeLimit(m, c, cf, q, s, x); });
}
QXKRB5_ENTRY QXKRB5_wrap(gssp_status* m, gssp_ctx_id_t c, int cf, uint32_t q, gssp_buffer_t in, int* cs,
                         gssp_buffer_t out) {
    return Guard(m, [&] { return qxkrb5::Wrap(m, c, cf, q, in, cs, out); });
}
QXKRB5_ENTRY QXKRB5_unwrap(gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t in, gssp_buffer_t out, int* cs,
                           uint32_t* q) {
    return Guard(m, [&] { return qxkrb5::Unwrap(m, c, in, out, cs, q); });
}
QXKRB5_ENTRY QXKRB5_get_mic(gssp_status* m, gssp_ctx_id_t c, uint32_t q, gssp_buffer_t msg, gssp_buffer_t tok) {
    return Guard(m, [&] { return qxkrb5::GetMic(m, c, q, msg, tok); });
}
QXKRB5_ENTRY QXKRB5_verify_mic(gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t msg, gssp_buffer_t tok, uint32_t* q) {
    return Guard(m, [&] { return qxkrb5::VerifyMic(m, c, msg, tok, q); });
}
QXKRB5_ENTRY QXKRB5_release_name(gssp_status* m, gssp_name_t* n) {
    return Guard(m, [&] { return qxkrb5::ReleaseName(m, n); });
}
QXKRB5_ENTRY QXKRB5_display_status(gssp_status* m, uint32_t v, int t, gssp_OID o, uint32_t* x, gssp_buffer_t s) {
    return Guard(m, [&] { return qxkrb5::DisplayStatus(m, v, t, o, x, s); });
}
QXKRB5_ENTRY QXKRB5_inquire_properties_for_user(gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t p) {
    return Guard(m, [&] { return qxkrb5::InquirePropertiesForUser(m, c, p); });
}
QXKRB5_ENTRY QXKRB5_configure(gssp_status* m, void*, void*, gssp_buffer_t b) {
    return Guard(m, [&] { return qxkrb5::Configure(m, b); });
}
