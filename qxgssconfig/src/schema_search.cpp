#include "schema_search.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "messages.hpp"
#include "run_end.hpp"

namespace qx {

std::string DirectoryOf(const std::string& path) {
    std::string::size_type pos = path.rfind('\\');
    if (pos == std::string::npos) pos = path.rfind('/');
    if (pos == std::string::npos) pos = path.rfind(':');
    if (pos == std::string::npos) return ".";
    const std::string dir = path.substr(0, pos == 0 ? 1 : pos);
    return dir.empty() ? "." : dir;
}

namespace {

bool Readable(const std::string& path) {
#ifdef _WIN32
    return _access(path.c_str(), 4) == 0;
#else
    return access(path.c_str(), R_OK) == 0;
#endif
}

}  // namespace

#ifdef _WIN32
std::string FullPath(const std::string& path) {
    char* full = _fullpath(nullptr, path.c_str(), 0);
    if (!full) return path;
    std::string out(full);
    std::free(full);
    return out;
}
#else
std::string FullPath(const std::string& path) {
    std::string joined = path;
    if (path.empty() || path[0] != '/') {
        std::vector<char> cwd(4096);
        if (!getcwd(cwd.data(), cwd.size())) return path;
        joined = std::string(cwd.data()) + "/" + path;
    }
    // Lexical clean-up: drop empty and "." segments, resolve "..".
    std::vector<std::string> parts;
    std::string::size_type i = 0;
    while (i <= joined.size()) {
        std::string::size_type j = joined.find('/', i);
        if (j == std::string::npos) j = joined.size();
        const std::string seg = joined.substr(i, j - i);
        if (seg == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!seg.empty() && seg != ".") {
            parts.push_back(seg);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}
#endif

std::string FindSchemaFile(const std::string& libraryPath, const std::string& userPath) {
    for (const std::string& source : {userPath, libraryPath}) {
        std::string candidate;
        try {
            candidate = DirectoryOf(source) + "/" + kSchemaFileName;
        } catch (const std::bad_alloc&) {
            std::fputs(msg::kOutOfVirtualMemorySchema, stderr);
            EndRun(1);
        }
        if (!Readable(candidate)) continue;
        std::string full = FullPath(candidate);
        for (char& c : full) {
            if (c == '\\') c = '/';
        }
        return full;
    }
    std::fputs(msg::kSchemaNotFound, stderr);
    EndRun(1);
}

}  // namespace qx
