#include "derived_paths.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "client_install_path.h"
#include "failure.h"
#include "messages.h"
#include "pathwise/path_separator.h"
#include "registry.h"
#include "versions.h"

namespace dirscout {
namespace {

constexpr char S = Corvane_QxWallet::kPathSeparator;
constexpr char kSeparator[] = {S, '\0'};

std::string clientKeyName(const char* shortVersion) {
    return std::string("Software\\Corvane\\Client\\") + shortVersion + "\\Corvane Client";
}

}  // namespace

long readClientRegistryPath(std::string& path, std::size_t limit, const char* shortVersion) {
    std::vector<char> data;
    const long status = readMachineValue32(clientKeyName(shortVersion), "DestPath", data, limit);
    if (status != kRegistrySuccess) return status;

    // The bytes are a string up to the first NUL; a value without one must
    // still leave room for the terminator within the limit.
    const auto end = std::find(data.begin(), data.end(), '\0');
    if (end == data.end() && data.size() >= limit) return kRegistryMoreData;
    path.assign(data.begin(), end);
    path += S;
    path += "..";
    path += S;
    path += "etc";
    return kRegistrySuccess;
}

std::string extendPath(std::FILE* failureStream, const char* base, std::initializer_list<const char*> pieces) {
    try {
        std::string path(base);
        for (const char* piece : pieces) path += piece;
        return path;
    } catch (const std::bad_alloc&) {
        failWith(failureStream, messages::kAllocationFailed);
    }
}

std::string getPersistentSitePath() {
    std::string path;
    try {
        if (readClientRegistryPath(path, kDestPathLimit, kShortVersion) != kRegistrySuccess)
            failWith(stderr, messages::kRegistryFailure);
    } catch (const std::bad_alloc&) {
        failWith(stderr, messages::kAllocationFailed);
    }
    return extendPath(stderr, path.c_str(), {kSeparator, "site"});
}

std::string getShortVersionPath() {
    const ClientPath client = getClientInstallPath();
    return extendPath(stdout, client.get(), {kShortVersion});
}

std::string getLocalEtcPath() {
    return extendPath(stdout, getShortVersionPath().c_str(), {kSeparator, "nimbral", kSeparator, "etc"});
}

std::string getLocalBinPath() { return extendPath(stdout, getShortVersionPath().c_str(), {kSeparator, "bin"}); }

}  // namespace dirscout
