#include "library_loader.hpp"

#include <type_traits>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace qxgss {
namespace {

#ifdef _WIN32
constexpr char kPathSeparator = ';';
std::string FileName(const std::string& name) { return name + ".dll"; }
void* Open(const std::string& path) { return reinterpret_cast<void*>(LoadLibraryA(path.c_str())); }
std::string LastError() { return "error " + std::to_string(GetLastError()); }
void* Symbol(void* handle, const std::string& name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name.c_str()));
}
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
#else
constexpr char kPathSeparator = ':';
std::string FileName(const std::string& name) { return "lib" + name + ".so"; }
void* Open(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
std::string LastError() {
    const char* e = dlerror();
    return e ? e : "unknown error";
}
void* Symbol(void* handle, const std::string& name) { return dlsym(handle, name.c_str()); }
bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
#endif

std::vector<std::string> Directories(const std::string& searchPath) {
    std::vector<std::string> dirs;
    std::string current;
    for (char c : searchPath) {
        if (c == kPathSeparator) {
            if (!current.empty()) dirs.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) dirs.push_back(current);
    return dirs;
}

}  // namespace

MechanismLibrary MechanismLibrary::Load(const std::string& libraryName, const std::string& searchPath,
                                        std::string* error) {
    MechanismLibrary library;
    const std::string file = FileName(libraryName);
    std::string path = file;
    for (const std::string& dir : Directories(searchPath)) {
        const std::string candidate = dir + "/" + file;
        if (Exists(candidate)) {
            path = candidate;
            break;
        }
    }
    library.handle_ = Open(path);
    if (!library.handle_ && error) *error = "cannot load " + path + ": " + LastError();
    return library;
}

void* MechanismLibrary::Find(const std::string& prefix, const char* operation) const {
    if (!handle_) return nullptr;
    return Symbol(handle_, prefix + "_" + operation);
}

gssp_mech_info BindEntryPoints(const MechanismLibrary& library, const std::string& prefix) {
    gssp_mech_info info{};
    auto bind = [&](auto& slot, const char* operation) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(library.Find(prefix, operation));
    };
    bind(info.acquire_cred, "acquire_cred");
    bind(info.release_cred, "release_cred");
    bind(info.inquire_cred, "inquire_cred");
    bind(info.init_sec_context, "init_sec_context");
    bind(info.accept_sec_context, "accept_sec_context");
    bind(info.delete_sec_context, "delete_sec_context");
    bind(info.inquire_context, "inquire_context");
    bind(info.wrap_size_limit, "wrap_size_limit");
    bind(info.wrap, "wrap");
    bind(info.unwrap, "unwrap");
    bind(info.get_mic, "get_mic");
    bind(info.verify_mic, "verify_mic");
    bind(info.release_name, "release_name");
    bind(info.display_status, "display_status");
    bind(info.inquire_properties_for_user, "inquire_properties_for_user");
    return info;
}

}  // namespace qxgss
