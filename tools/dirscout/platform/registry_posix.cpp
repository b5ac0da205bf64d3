// Native stand-in of the registry: a folder tree under the folder that
// QX_REGISTRY_ROOT names.
#include "registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace dirscout {
namespace {

bool isFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Key names are split at backslashes; parts that would leave the tree are
// refused.
bool appendKey(std::string& path, const std::string& keyName) {
    std::size_t start = 0;
    while (start <= keyName.size()) {
        std::size_t end = keyName.find('\\', start);
        if (end == std::string::npos) end = keyName.size();
        const std::string part = keyName.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos) return false;
        path += '/';
        path += part;
        start = end + 1;
    }
    return true;
}

}  // namespace

long readMachineValue32(const std::string& keyName, const char* valueName, std::vector<char>& data,
                        std::size_t limit) {
    data.clear();
    const char* root = std::getenv(kRegistryRootVariable);
    if (root == nullptr || *root == '\0') return kRegistryNotFound;
    std::string key = std::string(root) + "/HKEY_LOCAL_MACHINE/32bit";
    if (!appendKey(key, keyName) || !isFolder(key)) return kRegistryNotFound;

    const std::string value(valueName);
    if (value.empty() || value.find('/') != std::string::npos || value == "." || value == "..")
        return kRegistryNotFound;
    std::FILE* file = std::fopen((key + "/" + value).c_str(), "rb");
    if (file == nullptr) return errno == EACCES ? kRegistryAccessDenied : kRegistryNotFound;

    data.resize(limit + 1);  // one more byte tells a value over the limit
    const std::size_t got = std::fread(data.data(), 1, data.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        data.clear();
        return kRegistryNotFound;
    }
    if (got > limit) {
        data.clear();
        return kRegistryMoreData;
    }
    data.resize(got);
    return kRegistrySuccess;
}

}  // namespace dirscout
