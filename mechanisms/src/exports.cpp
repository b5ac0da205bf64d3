// The exports of every prefix: thin wrappers that call the one
// implementation with the prefix's mechanism. No exception leaves an entry
// point: the only one the implementation can meet is out of memory.
#include <new>

#include "entry_points.hpp"

#ifdef _WIN32
#define QXTEST_ENTRY extern "C" __declspec(dllexport) gssp_status
#else
#define QXTEST_ENTRY extern "C" __attribute__((visibility("default"))) gssp_status
#endif

namespace {

template <typename Call>
gssp_status Guard(gssp_status* minor, Call call) {
    try {
        return call();
    } catch (...) {
        return qxtest::Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    }
}

const qxtest::Mechanism& Mech(const char* prefix) { return *qxtest::FindMechanism(prefix); }

}  // namespace

// The entry points every test mechanism has, QXTESTMIN included.
#define QXTEST_BASE_EXPORTS(P)                                                                                        \
    QXTEST_ENTRY P##_acquire_cred(gssp_status* m, gssp_name_t n, uint32_t t, gssp_OID_set s, int u,                 \
                                  gssp_cred_id_t* c, gssp_OID_set* a, uint32_t* r) {                                  \
        return Guard(m, [&] { return qxtest::AcquireCred(Mech(#P), m, n, t, s, u, c, a, r); });                       \
    }                                                                                                                 \
    QXTEST_ENTRY P##_configure(gssp_status* m, void*, void*, gssp_buffer_t b) {                                       \
        return Guard(m, [&] { return qxtest::Configure(Mech(#P), &P##_acquire_cred, m, b); });                       \
    }                                                                                                                 \
    QXTEST_ENTRY P##_release_cred(gssp_status* m, gssp_cred_id_t* c) {                                                \
        return Guard(m, [&] { return qxtest::ReleaseCred(Mech(#P), m, c); });                                         \
    }                                                                                                                 \
    QXTEST_ENTRY P##_inquire_cred(gssp_status* m, gssp_cred_id_t c, gssp_name_t* n, uint32_t* l, int* u,            \
                                  gssp_OID_set* s) {                                                                  \
        return Guard(m, [&] { return qxtest::InquireCred(Mech(#P), m, c, n, l, u, s); });                             \
    }                                                                                                                 \
    QXTEST_ENTRY P##_delete_sec_context(gssp_status* m, gssp_ctx_id_t* c, gssp_buffer_t o) {                          \
        return Guard(m, [&] { return qxtest::DeleteSecContext(Mech(#P), m, c, o); });                                 \
    }                                                                                                                 \
    QXTEST_ENTRY P##_release_name(gssp_status* m, gssp_name_t* n) {                                                   \
        return Guard(m, [&] { return qxtest::ReleaseName(Mech(#P), m, n); });                                         \
    }                                                                                                                 \
    QXTEST_ENTRY P##_display_status(gssp_status* m, uint32_t v, int t, gssp_OID o, uint32_t* x, gssp_buffer_t s) {   \
        return Guard(m, [&] { return qxtest::DisplayStatus(Mech(#P), m, v, t, o, x, s); });                           \
    }

// Context establishment, inquiry and the per-message services.
#define QXTEST_CONTEXT_EXPORTS(P)                                                                                     \
    QXTEST_ENTRY P##_init_sec_context(gssp_status* m, gssp_cred_id_t cr, gssp_ctx_id_t* cx, gssp_name_t tn,         \
                                      gssp_OID mt, uint32_t rf, uint32_t tr, gssp_channel_bindings_t cb,               \
                                      gssp_buffer_t in, gssp_OID* am, gssp_buffer_t out, uint32_t* f, uint32_t* t) {  \
        return Guard(m, [&] {                                                                                         \
            return qxtest::InitSecContext(Mech(#P), m, cr, cx, tn, mt, rf, tr, cb, in, am, out, f, t);                \
        });                                                                                                           \
    }                                                                                                                 \
    QXTEST_ENTRY P##_accept_sec_context(gssp_status* m, gssp_ctx_id_t* cx, gssp_cred_id_t cr, gssp_buffer_t in,     \
                                        gssp_channel_bindings_t cb, gssp_name_t* sn, gssp_OID* mt,                    \
                                        gssp_buffer_t out, uint32_t* f, uint32_t* t, gssp_cred_id_t* d) {             \
        return Guard(m, [&] {                                                                                         \
            return qxtest::AcceptSecContext(Mech(#P), m, cx, cr, in, cb, sn, mt, out, f, t, d);                       \
        });                                                                                                           \
    }                                                                                                                 \
    QXTEST_ENTRY P##_inquire_context(gssp_status* m, gssp_ctx_id_t c, gssp_name_t* sn, gssp_name_t* tn, uint32_t* l, \
                                     gssp_OID* mt, uint32_t* f, int* li, int* o) {                                   \
        return Guard(m, [&] { return qxtest::InquireContext(Mech(#P), m, c, sn, tn, l, mt, f, li, o); });             \
    }                                                                                                                 \
    QXTEST_ENTRY P##_wrap_size_limit(gssp_status* m, gssp_ctx_id_t c, int cf, uint32_t q, uint32_t s, uint32_t* x) { \
        return Guard(m, [&] { return qxtest::WrapSizeLimit(Mech(#P), m, c, cf, q, s, x); });                          \
    }                                                                                                                 \
    QXTEST_ENTRY P##_wrap(gssp_status* m, gssp_ctx_id_t c, int cf, uint32_t q, gssp_buffer_t in, int* cs,            \
                          gssp_buffer_t out) {                                                                        \
        return Guard(m, [&] { return qxtest::Wrap(Mech(#P), m, c, cf, q, in, cs, out); });                            \
    }                                                                                                                 \
    QXTEST_ENTRY P##_unwrap(gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t in, gssp_buffer_t out, int* cs,           \
                            uint32_t* q) {                                                                            \
        return Guard(m, [&] { return qxtest::Unwrap(Mech(#P), m, c, in, out, cs, q); });                              \
    }                                                                                                                 \
    QXTEST_ENTRY P##_get_mic(gssp_status* m, gssp_ctx_id_t c, uint32_t q, gssp_buffer_t msg, gssp_buffer_t tok) {    \
        return Guard(m, [&] { return qxtest::GetMic(Mech(#P), m, c, q, msg, tok); });                                 \
    }                                                                                                                 \
    QXTEST_ENTRY P##_verify_mic(gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t msg, gssp_buffer_t tok, uint32_t* q) { \
        return Guard(m, [&] { return qxtest::VerifyMic(Mech(#P), m, c, msg, tok, q); });                              \
    }                                                                                                                 \
    QXTEST_ENTRY P##_inquire_properties_for_user(gssp_status* m, gssp_ctx_id_t c, gssp_buffer_t p) {                  \
        return Guard(m, [&] { return qxtest::InquirePropertiesForUser(Mech(#P), m, c, p); });                         \
    }

#define QXTEST_FULL_EXPORTS(P) QXTEST_BASE_EXPORTS(P) QXTEST_CONTEXT_EXPORTS(P)

QXTEST_FULL_EXPORTS(QXTEST1)
QXTEST_FULL_EXPORTS(QXTEST2)
QXTEST_FULL_EXPORTS(QXTEST3)
QXTEST_FULL_EXPORTS(QXTEST4)
QXTEST_BASE_EXPORTS(QXTESTMIN)
