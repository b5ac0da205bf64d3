// The platform calls of the native build: a monotonic clock in milliseconds
// truncated to 32 bits, gethostname, and time with ctime_r.
#include "qxnego_platform.h"

#include <string.h>
#include <time.h>
#include <unistd.h>

namespace {

uint32_t posix_tick_count(void) {
    struct timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        return 0;
    }
    uint64_t ms = (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
    return (uint32_t)ms;
}

int posix_host_name(char* name, size_t size) {
    if (name == nullptr || size < 2) {
        return -1;
    }
    if (gethostname(name, size - 1) != 0) {
        return -1;
    }
    name[size - 1] = '\0';
    return 0;
}

int posix_time_text(char* text, size_t size) {
    char local[QXNEGO_TIME_TEXT_SIZE];
    time_t now = time(nullptr);
    if (now == (time_t)-1 || ctime_r(&now, local) == nullptr) {
        return -1;
    }
    size_t n = strlen(local);
    if (text == nullptr || n >= size) {
        return -1;
    }
    memcpy(text, local, n + 1);
    return 0;
}

}  // namespace

extern "C" {

const QXNEGO_PlatformCalls qxnego_platform_default = {posix_tick_count, posix_host_name, posix_time_text};
QXNEGO_PlatformCalls qxnego_platform = {posix_tick_count, posix_host_name, posix_time_text};

}
