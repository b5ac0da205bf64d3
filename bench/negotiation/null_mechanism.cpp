#include "null_mechanism.h"

#include <cstdlib>
#include <cstring>

namespace {

int g_handle;

gssp_status Ok(gssp_status* minor) {
    if (minor) *minor = 0;
    return 0;
}

bool Put(gssp_buffer_t out, const void* bytes, size_t n) {
    out->value = std::malloc(n ? n : 1);
    if (!out->value) return false;
    std::memcpy(out->value, bytes, n);
    out->length = n;
    return true;
}

gssp_status AcquireCred(gssp_status* minor, gssp_name_t, uint32_t, gssp_OID_set, int, gssp_cred_id_t* cred,
                        gssp_OID_set*, uint32_t*) {
    *cred = &g_handle;
    return Ok(minor);
}
gssp_status ReleaseCred(gssp_status* minor, gssp_cred_id_t* cred) {
    *cred = nullptr;
    return Ok(minor);
}
gssp_status InquireCred(gssp_status* minor, gssp_cred_id_t, gssp_name_t* name, uint32_t*, int*, gssp_OID_set*) {
    if (name) *name = nullptr;
    if (minor) *minor = 1;
    return GSSP_S_FAILURE;
}
gssp_status Init(gssp_status* minor, gssp_cred_id_t, gssp_ctx_id_t* ctx, gssp_name_t, gssp_OID, uint32_t, uint32_t,
                 gssp_channel_bindings_t, gssp_buffer_t input, gssp_OID*, gssp_buffer_t out, uint32_t*, uint32_t*) {
    if (*ctx == nullptr) {
        *ctx = &g_handle;
        if (!Put(out, "init", 4)) return GSSP_S_FAILURE;
        return Ok(minor);
    }
    (void)input;
    return Ok(minor);
}
gssp_status Accept(gssp_status* minor, gssp_ctx_id_t* ctx, gssp_cred_id_t, gssp_buffer_t, gssp_channel_bindings_t,
                   gssp_name_t* src, gssp_OID*, gssp_buffer_t out, uint32_t*, uint32_t*, gssp_cred_id_t*) {
    if (src) *src = nullptr;
    *ctx = &g_handle;
    if (!Put(out, "accept", 6)) return GSSP_S_FAILURE;
    return Ok(minor);
}
gssp_status Delete(gssp_status* minor, gssp_ctx_id_t* ctx, gssp_buffer_t) {
    *ctx = nullptr;
    return Ok(minor);
}
gssp_status Wrap(gssp_status* minor, gssp_ctx_id_t, int, uint32_t, gssp_buffer_t in, int* conf, gssp_buffer_t out) {
    if (conf) *conf = 1;
    return Put(out, in->value, in->length) ? Ok(minor) : GSSP_S_FAILURE;
}
gssp_status Unwrap(gssp_status* minor, gssp_ctx_id_t, gssp_buffer_t in, gssp_buffer_t out, int* conf, uint32_t* qop) {
    if (conf) *conf = 1;
    if (qop) *qop = 0;
    return Put(out, in->value, in->length) ? Ok(minor) : GSSP_S_FAILURE;
}
gssp_status ReleaseName(gssp_status* minor, gssp_name_t* name) {
    *name = nullptr;
    return Ok(minor);
}
gssp_status DisplayStatus(gssp_status* minor, uint32_t, int, gssp_OID, uint32_t* more, gssp_buffer_t text) {
    if (more) *more = 0;
    return Put(text, "null", 4) ? Ok(minor) : GSSP_S_FAILURE;
}

}  // namespace

gssp_mech_info NullMechanismEntryPoints() {
    gssp_mech_info m;
    std::memset(&m, 0, sizeof m);
    m.acquire_cred = AcquireCred;
    m.release_cred = ReleaseCred;
    m.inquire_cred = InquireCred;
    m.init_sec_context = Init;
    m.accept_sec_context = Accept;
    m.delete_sec_context = Delete;
    m.wrap = Wrap;
    m.unwrap = Unwrap;
    m.release_name = ReleaseName;
    m.display_status = DisplayStatus;
    return m;
}
