#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "registry.h"

namespace dirscout {

long readMachineValue32(const std::string& keyName, const char* valueName, std::vector<char>& data,
                        std::size_t limit) {
    data.clear();
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key);
    if (status != ERROR_SUCCESS) return status;

    data.resize(limit);
    DWORD size = static_cast<DWORD>(limit);
    status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size > limit) {
        data.clear();
        return status != ERROR_SUCCESS ? status : kRegistryMoreData;
    }
    data.resize(size);
    return kRegistrySuccess;
}

}  // namespace dirscout
