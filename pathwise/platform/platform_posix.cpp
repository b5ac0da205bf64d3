// Native stand-ins for the Windows calls of Pathwise.
#include "platform.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <link.h>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <sys/syscall.h>
#include <unistd.h>

#include "utf.h"

namespace Corvane_QxWallet::platform {

std::uint32_t lastErrorCode() { return static_cast<std::uint32_t>(errno); }
void setLastErrorCode(std::uint32_t code) { errno = static_cast<int>(code); }

bool systemMessage(std::uint32_t code, std::u16string& text) {
    char buffer[256];
    // GNU strerror_r returns the text, which may or may not live in buffer.
    const char* message = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    text = utf8ToUtf16(message);
    return true;
}

namespace {

struct ModuleSearch {
    std::uintptr_t address = 0;
    bool found = false;
    std::string name;
};

int findModule(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<ModuleSearch*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        const std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (search->address >= start && search->address < start + segment.p_memsz) {
            search->found = true;
            search->name = info->dlpi_name ? info->dlpi_name : "";
            return 1;
        }
    }
    return 0;
}

// The main program is listed with an empty name: its file is /proc/self/exe.
bool findModuleName(const void* address, std::string& name) {
    ModuleSearch search;
    search.address = reinterpret_cast<std::uintptr_t>(address);
    dl_iterate_phdr(findModule, &search);
    if (!search.found) {
        errno = ENOENT;
        return false;
    }
    if (!search.name.empty()) {
        name = search.name;
        return true;
    }
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0) return false;
    name.assign(path, static_cast<std::size_t>(length));
    return true;
}

}  // namespace

ModuleHandle moduleFromAddress(const void* address) {
    std::string name;
    return findModuleName(address, name) ? address : nullptr;
}

std::uint32_t moduleFileName(ModuleHandle module, char16_t* buffer, std::uint32_t size) {
    std::string name;
    if (!findModuleName(module, name)) return 0;
    const std::u16string wide = utf8ToUtf16(name);
    if (size == 0) return 0;
    if (wide.size() >= size) {  // cut, as Windows does: size units, the last one a terminator
        wide.copy(buffer, size - 1);
        buffer[size - 1] = 0;
        return size;
    }
    wide.copy(buffer, wide.size());
    buffer[wide.size()] = 0;
    return static_cast<std::uint32_t>(wide.size());
}

std::uint32_t InputFile::open(const std::u16string& path) {
    close();
    const int fd = ::open(utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return lastErrorCode();
    handle_ = fd;
    return 0;
}

std::uint32_t InputFile::read(char* buffer, std::uint32_t size, std::uint32_t& bytesRead) {
    bytesRead = 0;
    ssize_t got;
    do {
        got = ::read(static_cast<int>(handle_), buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return lastErrorCode();
    bytesRead = static_cast<std::uint32_t>(got);
    return 0;
}

void InputFile::close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

// Named mutexes of this process: one std::mutex per name, kept while any
// handle of that name is open.
namespace {

struct NamedMutex {
    std::u16string name;
    std::mutex mutex;
};

std::mutex registryMutex;
std::map<std::u16string, std::weak_ptr<NamedMutex>> registry;

}  // namespace

MutexHandle createMutex(const std::u16string& name) {
    try {
        std::lock_guard<std::mutex> guard(registryMutex);
        std::shared_ptr<NamedMutex> mutex = registry[name].lock();
        if (!mutex) {
            mutex = std::make_shared<NamedMutex>();
            mutex->name = name;
            registry[name] = mutex;
        }
        return new std::shared_ptr<NamedMutex>(std::move(mutex));
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return nullptr;
    }
}

std::uint32_t waitMutex(MutexHandle handle) {
    (*static_cast<std::shared_ptr<NamedMutex>*>(handle))->mutex.lock();
    return kWaitObject0;
}

void releaseMutex(MutexHandle handle) { (*static_cast<std::shared_ptr<NamedMutex>*>(handle))->mutex.unlock(); }

void closeMutex(MutexHandle handle) {
    auto* mutex = static_cast<std::shared_ptr<NamedMutex>*>(handle);
    std::lock_guard<std::mutex> guard(registryMutex);
    const std::u16string name = (*mutex)->name;
    delete mutex;
    auto it = registry.find(name);
    if (it != registry.end() && it->second.expired()) registry.erase(it);
}

namespace {
std::recursive_mutex& sectionOf(unsigned char* storage) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}
}  // namespace

static_assert(sizeof(std::recursive_mutex) <= 64, "critical-section storage too small");

void CriticalSection::initialize() { new (storage_) std::recursive_mutex(); }
void CriticalSection::enter() { sectionOf(storage_).lock(); }
void CriticalSection::leave() { sectionOf(storage_).unlock(); }

std::uint32_t currentProcessId() { return static_cast<std::uint32_t>(getpid()); }
std::uint32_t currentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

}  // namespace Corvane_QxWallet::platform
