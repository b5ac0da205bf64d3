// Eight threads negotiating at once over the one process-wide list and the
// framework's table, each with its own credential and contexts. The native
// test run also builds and runs it under ThreadSanitizer.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "negotiation.h"
#include "process_state.h"

TEST(Concurrency, EightThreadsNegotiateOverTheSharedList) {
    ASSERT_TRUE(ConfigureNullMechanisms(2));
    const int per_thread = 300;
    std::vector<int> completed(8, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < completed.size(); ++t) {
        threads.emplace_back([t, &completed] {
            gssp_cred_id_t cred = AcquireAlice();
            for (int k = 0; k < per_thread; ++k) completed[t] += NegotiateOnce(cred) ? 1 : 0;
            gssp_status minor = 0;
            QXNEGO_release_cred(&minor, &cred);
        });
    }
    for (std::thread& t : threads) t.join();
    for (int c : completed) EXPECT_EQ(per_thread, c);
    gssp_status minor = 0;
    QXNEGO_INT_ReleaseProcessState(&minor);
}
