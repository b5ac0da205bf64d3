// Benchmarks of the negotiation over null mechanisms (what QXNEGO itself
// costs): a whole negotiation with 2, 8 and 32 mechanisms configured, the
// per-message overhead of QXNEGO over the selected mechanism, and 8 threads
// negotiating over the shared process-wide list.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "negotiation.h"
#include "null_mechanism.h"
#include "process_state.h"
#include "qxgss/framework.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double MicrosecondsPerNegotiation(unsigned mechanisms, int iterations) {
    if (!ConfigureNullMechanisms(mechanisms)) std::exit(1);
    gssp_cred_id_t cred = AcquireAlice();
    for (int k = 0; k < iterations / 10; ++k) NegotiateOnce(cred);  // warm-up
    const auto start = Clock::now();
    for (int k = 0; k < iterations; ++k) {
        if (!NegotiateOnce(cred)) std::exit(1);
    }
    const double us = Seconds(start) * 1e6 / iterations;
    gssp_status minor = 0;
    QXNEGO_release_cred(&minor, &cred);
    return us;
}

// wrap+unwrap of 1 KiB through QXNEGO and directly through the selected
// mechanism's entry points, alternating rounds so both see the same machine.
void PerMessage(const char* label, bool (*configure)(), int iterations) {
    if (!configure()) std::exit(1);
    gssp_cred_id_t cred = AcquireAlice();
    gssp_status minor = 0;
    gssp_ctx_id_t client = nullptr, server = nullptr;
    gssp_buffer_desc none = {0, nullptr}, t1 = {0, nullptr}, t2 = {0, nullptr}, t3 = {0, nullptr};
    QXNEGO_init_sec_context(&minor, cred, &client, nullptr, nullptr, 0, 0, nullptr, &none, nullptr, &t1, nullptr,
                            nullptr);
    QXNEGO_accept_sec_context(&minor, &server, nullptr, &t1, nullptr, nullptr, nullptr, &t2, nullptr, nullptr,
                              nullptr);
    QXNEGO_init_sec_context(&minor, cred, &client, nullptr, nullptr, 0, 0, nullptr, &t2, nullptr, &t3, nullptr,
                            nullptr);
    const NegContext* c = (const NegContext*)client;
    const gssp_mech_info& mech = pMechInfo[c->selected_mech_index];
    gssp_ctx_id_t inner = c->mech_list.entries[c->selected_entry_index].context;
    std::string payload(1024, 'x');
    gssp_buffer_desc message = {payload.size(), (void*)payload.data()};
    double nego_s = 0, direct_s = 0;
    for (int round = 0; round < 10; ++round) {
        for (int which = 0; which < 2; ++which) {
            const auto start = Clock::now();
            for (int k = 0; k < iterations / 10; ++k) {
                gssp_buffer_desc wrapped = {0, nullptr}, plain = {0, nullptr};
                int conf = 0;
                uint32_t qop = 0;
                if (which == 0) {
                    QXNEGO_wrap(&minor, client, 1, 0, &message, &conf, &wrapped);
                    QXNEGO_unwrap(&minor, client, &wrapped, &plain, &conf, &qop);
                } else {
                    mech.wrap(&minor, inner, 1, 0, &message, &conf, &wrapped);
                    mech.unwrap(&minor, inner, &wrapped, &plain, &conf, &qop);
                }
                gssp_release_buffer(&minor, &wrapped);
                gssp_release_buffer(&minor, &plain);
            }
            (which == 0 ? nego_s : direct_s) += Seconds(start);
        }
    }
    std::printf("wrap+unwrap 1 KiB, %s: QXNEGO %.3f us, mechanism directly %.3f us, ratio %.3f\n", label,
                nego_s * 1e6 / iterations, direct_s * 1e6 / iterations, nego_s / direct_s);
    QXNEGO_delete_sec_context(&minor, &client, nullptr);
    QXNEGO_delete_sec_context(&minor, &server, nullptr);
    for (gssp_buffer_desc* t : {&t1, &t2, &t3}) gssp_release_buffer(&minor, t);
    QXNEGO_release_cred(&minor, &cred);
}

bool TwoNullMechanisms() { return ConfigureNullMechanisms(2); }

// The test mechanisms of the pair fixture, whose wrap encrypts and MACs.
bool TestMechanisms() {
    qxgss::ResetFramework();
    if (!qxgss::StartFramework(QX_NEGO_PAIR_FIXTURE, QX_MECH_DIR).ok) return false;
    gssp_status minor = 0;
    return QXNEGO_configure(&minor, nullptr, nullptr, nullptr) == 0;
}

void Concurrency(unsigned threads, int per_thread) {
    if (!ConfigureNullMechanisms(2)) std::exit(1);
    std::vector<std::thread> workers;
    std::vector<int> failures(threads, 0);
    const auto start = Clock::now();
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([t, per_thread, &failures] {
            gssp_cred_id_t cred = AcquireAlice();
            for (int k = 0; k < per_thread; ++k) failures[t] += NegotiateOnce(cred) ? 0 : 1;
            gssp_status minor = 0;
            QXNEGO_release_cred(&minor, &cred);
        });
    }
    for (std::thread& w : workers) w.join();
    const double s = Seconds(start);
    int failed = 0;
    for (int f : failures) failed += f;
    std::printf("concurrency: %u threads x %d negotiations in %.2f s (%.0f negotiations/s), %d failed\n", threads,
                per_thread, s, threads * per_thread / s, failed);
}

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 20000;
    double base = 0;
    for (unsigned n : {2u, 8u, 32u}) {
        const double us = MicrosecondsPerNegotiation(n, n == 32 ? iterations / 4 : iterations);
        if (n == 2) base = us;
        std::printf("negotiation with %2u mechanisms: %8.2f us (%.2f x the 2-mechanism time, %.2f us per mechanism)\n",
                    n, us, us / base, us / n);
    }
    PerMessage("null mechanism (a copy)", TwoNullMechanisms, iterations * 10);
    PerMessage("test mechanism (keyed)", TestMechanisms, iterations * 2);
    Concurrency(8, 10000);
    return 0;
}
