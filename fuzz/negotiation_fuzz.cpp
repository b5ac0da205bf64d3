// Fuzzes the negotiation with a sequence of tokens from a hostile peer,
// over real contexts of the plug-in's core, the framework stand-in and the
// test mechanisms (configured once from the compiled pair fixture).
//
// Input: byte 0 chooses the side and the scripts; then tokens, each a 16-bit
// big-endian length and its bytes.
//   bit 0   0: the tokens go to accept calls of a server context (the first
//           as the client's first token); 1: a client context makes its real
//           first token, and the tokens go to its later init calls
//   bit 1   M1 needs two legs on each side (else one)
//   bit 2   M2 needs two legs on each side (else one)
//   bit 3   the client has no credential (single sign-on; M2 names carol)
// After the tokens (or the first failing call) the contexts answer the
// per-message and properties calls and are deleted; the process-wide state
// stays. Aborts when a call breaks a promise: a deletion that fails or
// keeps the handle, a wrap or properties call that succeeds with nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gssp2qxnego.h"
#include "process_state.h"
#include "qxgss/framework.hpp"
#include "qxtest/qxtest.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool Configured() {
    static const bool configured = [] {
        const qxgss::StartupReport report = qxgss::StartFramework(QX_NEGO_PAIR_FIXTURE, QX_MECH_DIR);
        gssp_status minor = 0;
        return report.ok && QXNEGO_configure(&minor, nullptr, nullptr, nullptr) == 0;
    }();
    return configured;
}

void Script(uint8_t mode) {
    qxtest_script_desc m1 = {}, m2 = {};
    m1.init_legs = m1.accept_legs = (mode & 2) ? 2 : 1;
    m2.init_legs = m2.accept_legs = (mode & 4) ? 2 : 1;
    m2.identity = "carol";
    qxtest_script("QXTEST1", &m1);
    qxtest_script("QXTEST2", &m2);
}

// Per-message and properties calls on whatever the context has become.
void UseContext(gssp_ctx_id_t ctx) {
    gssp_status minor = 0;
    std::string text = "message";
    gssp_buffer_desc message = {text.size(), (void*)text.data()};
    gssp_buffer_desc wrapped = {0, nullptr}, mic = {0, nullptr}, props = {0, nullptr};
    int conf = 0;
    if (!GSSP_ERROR(QXNEGO_wrap(&minor, ctx, 1, 0, &message, &conf, &wrapped))) check(wrapped.length > 0);
    else check(wrapped.length == 0 && wrapped.value == nullptr);
    QXNEGO_get_mic(&minor, ctx, 0, &message, &mic);
    uint32_t limit = 0;
    QXNEGO_wrap_size_limit(&minor, ctx, 1, 0, 100, &limit);
    if (!GSSP_ERROR(QXNEGO_inquire_properties_for_user(&minor, ctx, &props))) check(props.length > 0);
    QXNEGO_inquire_context(&minor, ctx, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    gssp_release_buffer(&minor, &wrapped);
    gssp_release_buffer(&minor, &mic);
    gssp_release_secure_buffer(&minor, &props);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || !Configured()) return 0;
    const uint8_t mode = data[0];
    Script(mode);
    std::vector<gssp_buffer_desc> tokens;
    for (size_t at = 1; at + 2 <= size && tokens.size() < 8;) {
        const size_t length = (size_t)data[at] << 8 | data[at + 1];
        at += 2;
        if (length > size - at) break;
        tokens.push_back({length, length ? (void*)(data + at) : nullptr});
        at += length;
    }

    gssp_status minor = 0;
    gssp_cred_id_t cred = nullptr;
    if (!(mode & 8)) {
        const std::string logon = "authcid=alice";
        gssp_name_desc name = {GSS_C_NT_QXAT_MECHDATA_UTF8, {logon.size(), (void*)logon.data()}};
        check(QXNEGO_acquire_cred(&minor, &name, 0, nullptr, GSSP_C_INITIATE, &cred, nullptr, nullptr) == 0);
    }
    gssp_ctx_id_t ctx = nullptr;
    const bool client = (mode & 1) != 0;
    gssp_buffer_desc out = {0, nullptr};
    if (client) {
        gssp_buffer_desc none = {0, nullptr};
        QXNEGO_init_sec_context(&minor, cred, &ctx, nullptr, nullptr, 0, 0, nullptr, &none, nullptr, &out, nullptr,
                                nullptr);
        gssp_release_buffer(&minor, &out);
    }
    for (gssp_buffer_desc& token : tokens) {
        const gssp_status major =
            client ? QXNEGO_init_sec_context(&minor, cred, &ctx, nullptr, nullptr, 0, 0, nullptr, &token, nullptr,
                                             &out, nullptr, nullptr)
                   : QXNEGO_accept_sec_context(&minor, &ctx, nullptr, &token, nullptr, nullptr, nullptr, &out, nullptr,
                                               nullptr, nullptr);
        gssp_release_buffer(&minor, &out);
        if (GSSP_ERROR(major)) break;
    }
    if (ctx) {
        UseContext(ctx);
        check(QXNEGO_delete_sec_context(&minor, &ctx, nullptr) == 0 || ctx == nullptr);
        check(ctx == nullptr);
    }
    if (cred) QXNEGO_release_cred(&minor, &cred);
    return 0;
}
