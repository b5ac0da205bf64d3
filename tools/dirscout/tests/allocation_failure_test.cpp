// What the locator prints when memory runs out. Each case runs in a child
// process (a death test) whose operator new fails the next few allocations
// on request; later ones (those of the process's exit) succeed again.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <new>
#include <string>

#include "client_install_path.h"
#include "derived_paths.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

static std::atomic<int> allocationsToFail{0};

void* operator new(std::size_t size) {
    if (allocationsToFail > 0) {
        --allocationsToFail;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace dirscout {
namespace {

using testing::ExitedWithCode;

std::string readText(const char* name) {
    std::ifstream in(name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(AllocationFailureDeathTest, DerivedDirectoryReportsOnStandardOutput) {
    const char* captured = "dirscout_allocation_stdout.txt";
    std::remove(captured);
    EXPECT_EXIT(
        {
            if (!std::freopen(captured, "w", stdout)) std::exit(3);
            allocationsToFail = 1;
            extendPath(stdout, "C:\\Apps\\Client\\", {"15.10"});
        },
        ExitedWithCode(1), "");
    EXPECT_EQ(readText(captured), "\n\n Memory allocation failed");
    std::remove(captured);
}

TEST(AllocationFailureDeathTest, SiteDirectoryReportsOnStandardError) {
    EXPECT_EXIT(
        {
            allocationsToFail = 1;
            extendPath(stderr, "D:\\Inst\\Client\\..\\etc", {"\\", "site"});
        },
        ExitedWithCode(1), "Memory allocation failed$");
}

TEST(AllocationFailureDeathTest, ClientLookupReportsTheOutOfMemoryHandle) {
    EXPECT_EXIT(
        {
            allocationsToFail = 2;  // the lookup, then its error record
            getClientInstallPath();
        },
        ExitedWithCode(1), "Error getting the client install path because An out of memory condition exists\\. ");
}

}  // namespace
}  // namespace dirscout
