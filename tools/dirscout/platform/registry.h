// Reading a value under HKEY_LOCAL_MACHINE in the 32-bit registry view.
// registry_win32.cpp makes the real calls; registry_posix.cpp is the native
// stand-in over a folder tree (see README.md).
#ifndef DIRSCOUT_REGISTRY_H
#define DIRSCOUT_REGISTRY_H

#include <cstddef>
#include <string>
#include <vector>

namespace dirscout {

// Windows status codes the locator meets.
inline constexpr long kRegistrySuccess = 0;
inline constexpr long kRegistryNotFound = 2;     // ERROR_FILE_NOT_FOUND
inline constexpr long kRegistryAccessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr long kRegistryMoreData = 234;   // ERROR_MORE_DATA

// The bytes of value valueName of key keyName (backslash-separated), at
// most limit of them; the value's type is not looked at. Returns 0 or the
// status of the failed step (kRegistryMoreData for a value over limit).
long readMachineValue32(const std::string& keyName, const char* valueName, std::vector<char>& data,
                        std::size_t limit);

// The stand-in's root folder is named by this environment variable; keys of
// the 32-bit view lie under <root>/HKEY_LOCAL_MACHINE/32bit, those of the
// 64-bit view under <root>/HKEY_LOCAL_MACHINE/64bit, a key being a folder and
// a value a file holding the value's bytes.
inline constexpr char kRegistryRootVariable[] = "QX_REGISTRY_ROOT";

}  // namespace dirscout

#endif
