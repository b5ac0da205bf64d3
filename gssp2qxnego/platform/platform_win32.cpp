// The platform calls of the Windows build: GetTickCount, gethostname with the
// network library started around it (WSAStartup 2.0 / WSACleanup), and
// _time64 with _ctime64.
#include <winsock2.h>
#include <windows.h>

#include <string.h>
#include <time.h>

#include "qxnego_platform.h"

namespace {

uint32_t win32_tick_count(void) {
    return (uint32_t)GetTickCount();
}

int win32_host_name(char* name, size_t size) {
    if (name == nullptr || size < 2) {
        return -1;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0) {
        return -1;
    }
    int result = gethostname(name, (int)(size - 1));
    WSACleanup();
    if (result != 0) {
        return -1;
    }
    name[size - 1] = '\0';
    return 0;
}

int win32_time_text(char* text, size_t size) {
    __time64_t now;
    if (_time64(&now) == (__time64_t)-1) {
        return -1;
    }
    const char* local = _ctime64(&now);
    if (local == nullptr) {
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

const QXNEGO_PlatformCalls qxnego_platform_default = {win32_tick_count, win32_host_name, win32_time_text};
QXNEGO_PlatformCalls qxnego_platform = {win32_tick_count, win32_host_name, win32_time_text};

}
