// A whole negotiation over the plug-in's core with its allocator replaced:
// the n-th allocation fails, for every n until none does. Each run must end
// without a crash or a leak, and a run whose calls all succeed must still
// have negotiated completely.
#include <string>

#include "configured_framework.h"
#include "plugin_memory.h"

namespace {

class NegotiationMemory : public ConfiguredFramework {};

struct Outcome {
    bool all_succeeded = true;
    bool complete = false;
    gssp_status failing_minor = 0;
};

Outcome Negotiate() {
    Outcome run;
    gssp_status minor = 0;
    const std::string logon = "authcid=alice,user=bob";
    gssp_name_desc name = {GSS_C_NT_QXAT_MECHDATA_UTF8, {logon.size(), (void*)logon.data()}};
    gssp_cred_id_t cred = nullptr;
    gssp_ctx_id_t client = nullptr, server = nullptr;
    gssp_buffer_desc t1 = {0, nullptr}, t2 = {0, nullptr}, t3 = {0, nullptr};
    auto step = [&](gssp_status major) {
        if (GSSP_ERROR(major)) {
            run.all_succeeded = false;
            run.failing_minor = minor;
        }
        return !GSSP_ERROR(major);
    };
    gssp_status last = 1;
    if (step(QXNEGO_acquire_cred(&minor, &name, 0, nullptr, GSSP_C_INITIATE, &cred, nullptr, nullptr)) &&
        step(QXNEGO_init_sec_context(&minor, cred, &client, nullptr, nullptr, 0, 0, nullptr, &t3, nullptr, &t1,
                                     nullptr, nullptr)) &&
        step(QXNEGO_accept_sec_context(&minor, &server, nullptr, &t1, nullptr, nullptr, nullptr, &t2, nullptr,
                                       nullptr, nullptr)) &&
        step(last = QXNEGO_init_sec_context(&minor, cred, &client, nullptr, nullptr, 0, 0, nullptr, &t2, nullptr,
                                            &t3, nullptr, nullptr))) {
        gssp_buffer_desc props = {0, nullptr};
        if (step(QXNEGO_inquire_properties_for_user(&minor, client, &props))) {
            run.complete = last == 0 && props.length > 0;
            gssp_release_secure_buffer(&minor, &props);
        }
    }
    if (client) QXNEGO_delete_sec_context(&minor, &client, nullptr);
    if (server) QXNEGO_delete_sec_context(&minor, &server, nullptr);
    if (cred) QXNEGO_release_cred(&minor, &cred);
    for (gssp_buffer_desc* t : {&t1, &t2, &t3}) gssp_release_buffer(&minor, t);
    return run;
}

// The allocator of one side of the boundary: the plug-in's or the
// framework's (whose records the plug-in and the test mechanisms ask for).
struct Allocator {
    const char* name;
    int (*count)();
    void (*fail)(int);
};
const Allocator kAllocators[] = {
    {"plug-in", test_memory::allocations, test_memory::fail_allocation},
    {"framework", qxgss::AllocationCount, qxgss::FailAllocation},
};

TEST_F(NegotiationMemory, EveryAllocationFailingInTurn) {
    Start(QX_NEGO_PAIR_FIXTURE);
    for (const Allocator& a : kAllocators) {
        SCOPED_TRACE(a.name);
        const int baseline = test_memory::live_blocks();
        ASSERT_TRUE(Negotiate().complete);
        int n = 1;
        for (;; ++n) {
            SCOPED_TRACE(n);
            const int before = a.count();
            a.fail(n);
            const Outcome run = Negotiate();
            const bool reached = a.count() - before >= n;
            a.fail(0);
            EXPECT_EQ(baseline, test_memory::live_blocks());
            if (!reached) break;
            if (run.all_succeeded) {
                EXPECT_TRUE(run.complete);
            } else {
                EXPECT_NE(0x230003E8u, run.failing_minor);
            }
        }
        EXPECT_GT(n, 10);
        RecordProperty(std::string(a.name) + " allocations", n - 1);
    }
}

}  // namespace
