// Directories derived from the client directory and from the client's
// registry entry.
#ifndef DIRSCOUT_DERIVED_PATHS_H
#define DIRSCOUT_DERIVED_PATHS_H

#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <string>

namespace dirscout {

// The destination path is read with this limit, its terminator included.
inline constexpr std::size_t kDestPathLimit = 500;

// DestPath of the client's key (32-bit view) + separator + "..\etc" into
// path. Returns 0, or the registry's status (also for a value that does not
// fit limit bytes with its terminator).
long readClientRegistryPath(std::string& path, std::size_t limit, const char* shortVersion);

// base followed by the pieces. When the string cannot be allocated, writes
// the allocation message to failureStream and ends the process with status 1.
std::string extendPath(std::FILE* failureStream, const char* base, std::initializer_list<const char*> pieces);

// Each returns its directory, or prints its message and ends the process
// with status 1.
std::string getPersistentSitePath();  // DestPath\..\etc\site
std::string getShortVersionPath();    // client directory + "15.10"
std::string getLocalEtcPath();        // short version\nimbral\etc
std::string getLocalBinPath();        // short version\bin

}  // namespace dirscout

#endif
