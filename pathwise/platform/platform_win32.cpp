// The Windows calls of Pathwise.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform.h"

#include <new>

namespace Corvane_QxWallet::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters expected");

namespace {
const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
}  // namespace

std::uint32_t lastErrorCode() { return GetLastError(); }
void setLastErrorCode(std::uint32_t code) { SetLastError(code); }

bool systemMessage(std::uint32_t code, std::u16string& text) {
    wchar_t* buffer = nullptr;
    // Messages with inserts keep them as written: no values are passed.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0) return false;
    struct Release {
        wchar_t* p;
        ~Release() { LocalFree(p); }
    } release{buffer};
    text.assign(reinterpret_cast<const char16_t*>(buffer), length);
    return true;
}

ModuleHandle moduleFromAddress(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return nullptr;
    return module;
}

std::uint32_t moduleFileName(ModuleHandle module, char16_t* buffer, std::uint32_t size) {
    return GetModuleFileNameW(static_cast<HMODULE>(const_cast<void*>(module)), reinterpret_cast<wchar_t*>(buffer),
                              size);
}

std::uint32_t InputFile::open(const std::u16string& path) {
    close();
    HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return 0;
}

std::uint32_t InputFile::read(char* buffer, std::uint32_t size, std::uint32_t& bytesRead) {
    DWORD got = 0;
    bytesRead = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, size, &got, nullptr)) return GetLastError();
    bytesRead = got;
    return 0;
}

void InputFile::close() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

MutexHandle createMutex(const std::u16string& name) { return CreateMutexW(nullptr, FALSE, wide(name)); }
std::uint32_t waitMutex(MutexHandle mutex) { return WaitForSingleObject(mutex, INFINITE); }
void releaseMutex(MutexHandle mutex) { ReleaseMutex(mutex); }
void closeMutex(MutexHandle mutex) { CloseHandle(mutex); }

static_assert(sizeof(CRITICAL_SECTION) <= 64, "critical-section storage too small");

namespace {
CRITICAL_SECTION* sectionOf(unsigned char* storage) {
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}
}  // namespace

void CriticalSection::initialize() { InitializeCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
void CriticalSection::enter() { EnterCriticalSection(sectionOf(storage_)); }
void CriticalSection::leave() { LeaveCriticalSection(sectionOf(storage_)); }

std::uint32_t currentProcessId() { return GetCurrentProcessId(); }
std::uint32_t currentThreadId() { return GetCurrentThreadId(); }

}  // namespace Corvane_QxWallet::platform
