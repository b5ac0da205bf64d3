// The C entry points, end to end in one process: the pointer file is
// written beside this test program, as the installation lays it beside the
// locator.
#include "pathwise/qxclient.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <new>
#include <string>

#include "client_directory.h"
#include "client_path_error.h"
#include "platform.h"
#include "system_error_text.h"
#include "utf.h"

// Allocation that fails on request, to reach the out-of-memory handle. The
// replaced operators pair malloc with free throughout.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
static std::atomic<bool> failAllocations{false};

void* operator new(std::size_t size) {
    if (failAllocations) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace Corvane_QxWallet {
namespace {

const std::string S(1, static_cast<char>(platform::kSeparator));

std::string moduleDirectory() { return utf16ToUtf8(directoryOf(moduleFileName())); }
std::string pointerFile() { return moduleDirectory() + "qxclientdir"; }

void writePointer(const std::string& content) {
    std::ofstream out(pointerFile(), std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good());
}

std::string failureOfGetClientPath() {
    char* untouched = reinterpret_cast<char*>(&failAllocations);
    char* path = untouched;
    ClientPathError* error = QxClient_getClientPath(&path);
    EXPECT_NE(error, nullptr);
    EXPECT_EQ(path, untouched) << "the out argument was written on failure";
    if (error == nullptr) {
        QxClient_freeString(path);
        return {};
    }
    EXPECT_EQ(QxClient_errorCode(error), 1);
    std::string message = QxClient_errorMessage(error);
    QxClient_freeError(error);
    return message;
}

std::string successOfGetClientPath() {
    char* path = nullptr;
    ClientPathError* error = QxClient_getClientPath(&path);
    EXPECT_EQ(error, nullptr) << QxClient_errorMessage(error);
    QxClient_freeError(error);
    std::string result = path ? path : "";
    QxClient_freeString(path);
    return result;
}

TEST(ClientPathApi, FailuresRetryAndTheFirstSuccessIsKept) {
    std::remove(pointerFile().c_str());
    const std::string dir = moduleDirectory();
    EXPECT_EQ(failureOfGetClientPath(),
              "Cannot open the qxclientdir file (in \"" + dir + "\") because: " + systemErrorText(2));

    writePointer("");
    EXPECT_EQ(failureOfGetClientPath(), "The qxclientdir file (in \"" + dir + "\") is empty.");

    writePointer("client\xff");
    EXPECT_EQ(failureOfGetClientPath(), "Invalid UTF-8");

    writePointer("client");
    EXPECT_EQ(successOfGetClientPath(), dir + "client" + S);

    writePointer("C:\\elsewhere");
    EXPECT_EQ(successOfGetClientPath(), dir + "client" + S);
    std::remove(pointerFile().c_str());
    EXPECT_EQ(successOfGetClientPath(), dir + "client" + S);
}

TEST(ClientPathApi, OutOfMemoryHandleOnlyWhenTheRecordCannotBeMade) {
    ClientPathError* normal = errorHandleFor("some failure");
    EXPECT_NE(normal, outOfMemoryError());
    EXPECT_EQ(QxClient_errorCode(normal), 1);
    EXPECT_STREQ(QxClient_errorMessage(normal), "some failure");
    QxClient_freeError(normal);

    failAllocations = true;
    ClientPathError* starved = errorHandleFor("some failure");
    failAllocations = false;
    EXPECT_EQ(starved, outOfMemoryError());
    EXPECT_EQ(QxClient_errorCode(starved), 2);
    EXPECT_STREQ(QxClient_errorMessage(starved), "An out of memory condition exists.");
    QxClient_freeError(starved);  // does nothing
    EXPECT_EQ(QxClient_errorCode(starved), 2);

    ClientPathError* nowhere = QxClient_getClientPath(nullptr);
    EXPECT_EQ(QxClient_errorCode(nowhere), 1);
    EXPECT_STREQ(QxClient_errorMessage(nowhere), "QxClient_getClientPath() was given no place for the path.");
    QxClient_freeError(nowhere);

    QxClient_freeError(nullptr);
    QxClient_freeString(nullptr);
    EXPECT_STREQ(QxClient_errorMessage(nullptr), "");
}

}  // namespace
}  // namespace Corvane_QxWallet
