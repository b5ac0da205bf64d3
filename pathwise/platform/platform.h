// The calls Pathwise makes to the operating system, one implementation per
// platform (platform_win32.cpp makes the real Windows calls,
// platform_posix.cpp holds the stand-ins of the native build).
//
// Error codes are Windows error codes on Windows and errno values on POSIX.
#ifndef PATHWISE_PLATFORM_H
#define PATHWISE_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "pathwise/path_separator.h"

namespace Corvane_QxWallet::platform {

inline constexpr char16_t kSeparator = static_cast<char16_t>(kPathSeparator);

// The calling thread's error code of the last failed call.
std::uint32_t lastErrorCode();
void setLastErrorCode(std::uint32_t code);

// The system's text for an error code. False when there is none; the
// failure's own code is then left as the last error code.
bool systemMessage(std::uint32_t code, std::u16string& text);

// The module that contains the code at an address (no reference taken).
// Null when it cannot be found.
using ModuleHandle = const void*;
ModuleHandle moduleFromAddress(const void* address);

// The module's full file name stored into buffer (size units). Returns the
// number of units stored, size when the name was cut, 0 on failure.
std::uint32_t moduleFileName(ModuleHandle module, char16_t* buffer, std::uint32_t size);

// An existing file opened for reading (others may read it too).
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { close(); }

    // 0 on success, else the error code.
    std::uint32_t open(const std::u16string& path);
    // Reads up to size bytes; 0 on success (bytesRead 0 at the end), else the error code.
    std::uint32_t read(char* buffer, std::uint32_t size, std::uint32_t& bytesRead);
    void close();

private:
    std::intptr_t handle_ = -1;
};

// The named mutex that guards one-time set-up. Results of waitMutex are
// the Windows wait results below.
using MutexHandle = void*;
inline constexpr std::uint32_t kWaitObject0 = 0x00000000;
inline constexpr std::uint32_t kWaitAbandoned = 0x00000080;
inline constexpr std::uint32_t kWaitTimeout = 0x00000102;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

MutexHandle createMutex(const std::u16string& name);  // null on failure
std::uint32_t waitMutex(MutexHandle mutex);           // no time limit
void releaseMutex(MutexHandle mutex);
void closeMutex(MutexHandle mutex);

// An in-process lock the owning thread may enter again. Storage only until
// initialize() is called once.
class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void initialize();
    void enter();
    void leave();

private:
    alignas(std::max_align_t) unsigned char storage_[64];
};

std::uint32_t currentProcessId();
std::uint32_t currentThreadId();

}  // namespace Corvane_QxWallet::platform

#endif
