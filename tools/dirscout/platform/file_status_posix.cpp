#include <sys/stat.h>

#include "file_status.h"

namespace dirscout {

static_assert(sizeof(time_t) == 8, "64-bit file times expected");

bool modificationTime(const std::string& path, std::int64_t& seconds) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return false;
    seconds = status.st_mtime;
    return true;
}

}  // namespace dirscout
