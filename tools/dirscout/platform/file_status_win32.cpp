#include <sys/stat.h>
#include <sys/types.h>

#include "file_status.h"

namespace dirscout {

bool modificationTime(const std::string& path, std::int64_t& seconds) {
    struct _stat64i32 status;
    if (_stat64i32(path.c_str(), &status) != 0) return false;
    seconds = status.st_mtime;
    return true;
}

}  // namespace dirscout
