// Establishment with Kerberos underneath, side by side in one process with
// the same credentials and mutual authentication: QXNEGO over the Kerberos
// adapter (single sign-on, so Kerberos is selected), the Kerberos mechanism
// straight through the library, and the library's own negotiation
// mechanism; and the size of each first token. Run by bench/kerberos.sh,
// which starts a test realm and exports its environment.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gssp2qxnego.h"
#include "neg_mech.h"
#include "qxgss/framework.hpp"
#include "raw_kerberos.h"

namespace {

using Clock = std::chrono::steady_clock;

// One whole QXNEGO establishment; first_token_size and the authentication ID
// length of the selected entry are taken when asked for.
bool QxnegoEstablish(std::size_t* first_token_size, std::size_t* auth_id_length) {
    gssp_status minor = 0, init_major = 1, accept_major = 1;
    gssp_ctx_id_t client = nullptr, server = nullptr;
    gssp_buffer_desc to_server = {0, nullptr}, to_client = {0, nullptr};
    bool ok = true, first = true;
    for (int leg = 0; leg < 8 && ok; ++leg) {
        init_major = QXNEGO_init_sec_context(&minor, nullptr, &client, nullptr, nullptr, 0, 0, nullptr, &to_client,
                                             nullptr, &to_server, nullptr, nullptr);
        gssp_release_buffer(&minor, &to_client);
        if (GSSP_ERROR(init_major)) ok = false;
        if (first && first_token_size) *first_token_size = (std::size_t)to_server.length;
        if (first && auth_id_length && client) {
            const NegContext* c = (const NegContext*)client;
            *auth_id_length = 0;
            for (uint32_t k = 0; k < c->mech_list.count; ++k)
                *auth_id_length = std::max(*auth_id_length, (std::size_t)c->mech_list.entries[k].authentication_id.length);
        }
        first = false;
        if (!ok || to_server.length == 0) break;
        accept_major = QXNEGO_accept_sec_context(&minor, &server, nullptr, &to_server, nullptr, nullptr, nullptr,
                                                 &to_client, nullptr, nullptr, nullptr);
        gssp_release_buffer(&minor, &to_server);
        if (GSSP_ERROR(accept_major)) ok = false;
        if (init_major == 0 && to_client.length == 0) break;
    }
    gssp_release_buffer(&minor, &to_server);
    gssp_release_buffer(&minor, &to_client);
    ok = ok && init_major == 0 && accept_major == 0;
    if (client) QXNEGO_delete_sec_context(&minor, &client, nullptr);
    if (server) QXNEGO_delete_sec_context(&minor, &server, nullptr);
    return ok;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kerberos_bench CONFIG LIBRARY_PATH [ITERATIONS]\n");
        return 2;
    }
    const int iterations = argc > 3 ? std::atoi(argv[3]) : 2000;
    const qxgss::StartupReport report = qxgss::StartFramework(argv[1], argv[2]);
    gssp_status minor = 0;
    if (!report.ok || QXNEGO_configure(&minor, nullptr, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "kerberos_bench: cannot start the framework: %s\n", report.error.c_str());
        return 1;
    }
    std::size_t qx_first = 0, raw_first = 0, lib_first = 0, auth_id = 0;
    if (!QxnegoEstablish(&qx_first, &auth_id) || !RawEstablish(RawMechanism::kKerberos, &raw_first) ||
        !RawEstablish(RawMechanism::kLibraryNegotiation, &lib_first)) {
        std::fprintf(stderr, "kerberos_bench: an establishment failed (is the realm's environment set?)\n");
        return 1;
    }
    // Interleaved rounds, so that all three see the same machine.
    const int rounds = 10;
    std::vector<double> qx, raw, lib;
    std::vector<double> qx_sizes, raw_sizes, lib_sizes;
    for (int r = 0; r < rounds; ++r) {
        for (int which = 0; which < 3; ++which) {
            const auto start = Clock::now();
            for (int k = 0; k < iterations / rounds; ++k) {
                std::size_t size = 0;
                const bool ok = which == 0   ? QxnegoEstablish(&size, nullptr)
                                : which == 1 ? RawEstablish(RawMechanism::kKerberos, &size)
                                             : RawEstablish(RawMechanism::kLibraryNegotiation, &size);
                if (!ok) {
                    std::fprintf(stderr, "kerberos_bench: an establishment failed\n");
                    return 1;
                }
                (which == 0 ? qx_sizes : which == 1 ? raw_sizes : lib_sizes).push_back((double)size);
            }
            const double us = std::chrono::duration<double>(Clock::now() - start).count() * 1e6 / (iterations / rounds);
            (which == 0 ? qx : which == 1 ? raw : lib).push_back(us);
        }
    }
    const double q = Median(qx), k = Median(raw), l = Median(lib);
    std::printf("establishment (median of %d rounds of %d):\n", rounds, iterations / rounds);
    std::printf("  QXNEGO over Kerberos           %9.1f us   %.3f x raw\n", q, q / k);
    std::printf("  Kerberos directly              %9.1f us\n", k);
    std::printf("  library's own negotiation      %9.1f us   %.3f x raw\n", l, l / k);
    const double qs = Median(qx_sizes), ks = Median(raw_sizes), ls = Median(lib_sizes);
    std::printf("first token (median bytes): QXNEGO %.0f, Kerberos %.0f, library's negotiation %.0f\n", qs, ks, ls);
    std::printf("  overhead over Kerberos: QXNEGO %+.0f, library's negotiation %+.0f; authentication ID %zu bytes\n",
                qs - ks, ls - ks, auth_id);
    std::printf("  goal: QXNEGO overhead <= %.0f (library's overhead plus the authentication ID): %s\n",
                ls - ks + (double)auth_id, qs - ks <= ls - ks + (double)auth_id ? "met" : "not met");
    return 0;
}
