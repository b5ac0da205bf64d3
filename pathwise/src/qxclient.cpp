// The C entry points: exceptions become error handles here.
#include "pathwise/qxclient.h"

#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "client_directory.h"
#include "client_path_error.h"
#include "messages.h"
#include "utf.h"
#include "wallet_lock.h"

using namespace Corvane_QxWallet;

struct ClientPathError {
    std::int32_t code;
    std::string message;
};

namespace Corvane_QxWallet {

namespace {
ClientPathError outOfMemory{2, {}};  // never freed; its message is kOutOfMemory
}  // namespace

ClientPathError* outOfMemoryError() { return &outOfMemory; }

ClientPathError* errorHandleFor(const char* message) noexcept {
    try {
        return new ClientPathError{1, message};
    } catch (...) {
        return &outOfMemory;
    }
}

}  // namespace Corvane_QxWallet

extern "C" ClientPathError* QxClient_getClientPath(char** path) {
    if (path == nullptr) return errorHandleFor(messages::kNullPathArgument);
    try {
        std::u16string directory;
        {
            WalletLockGuard guard(processWalletLock());
            directory = locateClientDirectory();
        }
        const std::string text = utf16ToUtf8(directory);
        char* copy = new char[text.size() + 1];
        std::memcpy(copy, text.c_str(), text.size() + 1);
        *path = copy;
        return nullptr;
    } catch (const std::exception& e) {
        return errorHandleFor(e.what());
    }
}

extern "C" const char* QxClient_errorMessage(const ClientPathError* error) {
    if (error == nullptr) return "";
    if (error == &outOfMemory) return messages::kOutOfMemory;
    return error->message.c_str();
}

extern "C" int32_t QxClient_errorCode(const ClientPathError* error) {
    if (error == nullptr) return 0;
    if (error == &outOfMemory) return 2;
    return error->code;
}

extern "C" void QxClient_freeError(ClientPathError* error) {
    if (error != &outOfMemory) delete error;
}

extern "C" void QxClient_freeString(char* path) { delete[] path; }
