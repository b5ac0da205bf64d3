// A file's last-modification time from the C runtime's 64-bit file status.
#ifndef DIRSCOUT_FILE_STATUS_H
#define DIRSCOUT_FILE_STATUS_H

#include <cstdint>
#include <string>

namespace dirscout {

// Seconds since 1970-01-01 UTC. False on failure, with errno set.
bool modificationTime(const std::string& path, std::int64_t& seconds);

}  // namespace dirscout

#endif
