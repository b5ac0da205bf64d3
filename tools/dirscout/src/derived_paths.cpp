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

std::string getPersistentSitePath() {
    try {
        std::string path;
        if (readClientRegistryPath(path, kDestPathLimit, kShortVersion) != kRegistrySuccess)
            failWith(stderr, messages::kRegistryFailure);
        path += S;
        path += "site";
        return path;
    } catch (const std::bad_alloc&) {
        failWith(stderr, messages::kAllocationFailed);
    }
}

std::string getShortVersionPath() {
    const ClientPath client = getClientInstallPath();
    try {
        return std::string(client.get()) + kShortVersion;
    } catch (const std::bad_alloc&) {
        failWith(stdout, messages::kAllocationFailed);
    }
}

std::string getLocalEtcPath() {
    std::string path = getShortVersionPath();
    try {
        return path + S + "nimbral" + S + "etc";
    } catch (const std::bad_alloc&) {
        failWith(stdout, messages::kAllocationFailed);
    }
}

std::string getLocalBinPath() {
    std::string path = getShortVersionPath();
    try {
        return path + S + "bin";
    } catch (const std::bad_alloc&) {
        failWith(stdout, messages::kAllocationFailed);
    }
}

}  // namespace dirscout
