#include "output_file.hpp"

#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "binary_file.hpp"
#include "messages.hpp"
#include "run_end.hpp"

namespace qx {
namespace {

// Removes the temporary file unless it was committed.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (fd_ >= 0) Close();
        if (!committed_) std::remove(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    int fd() const { return fd_; }
    void setFd(int fd) { fd_ = fd; }
    int Close() {
#ifdef _WIN32
        const int r = _close(fd_);
#else
        const int r = ::close(fd_);
#endif
        fd_ = -1;
        return r;
    }
    void commit() { committed_ = true; }

private:
    std::string path_;
    int fd_ = -1;
    bool committed_ = false;
};

[[noreturn]] void Fail(const char* what) {
    std::perror(what);
    EndRun(1);
}

#ifdef _WIN32
std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
    w.resize(w.size() - 1);
    return w;
}

int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return EACCES;
        case ERROR_DISK_FULL: return ENOSPC;
        default: return EIO;
    }
}

int OpenTemporary(const std::string& target, std::string& path) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = target + "." + std::to_string(_getpid()) + "." + std::to_string(counter++) + ".tmp";
        const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool Flush(int fd) { return _commit(fd) == 0; }
bool SetOwnerReadWrite(const std::string& path) { return _chmod(path.c_str(), _S_IREAD | _S_IWRITE) == 0; }

bool Replace(const std::string& from, const std::string& to) {
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    errno = ErrnoOf(GetLastError());
    return false;
}
#else
int OpenTemporary(const std::string& target, std::string& path) {
    std::vector<char> name(target.begin(), target.end());
    for (char c : std::string(".XXXXXX")) name.push_back(c);
    name.push_back('\0');
    const int fd = mkstemp(name.data());  // mode 0600
    path = name.data();
    return fd;
}

bool Flush(int fd) { return fsync(fd) == 0; }
bool SetOwnerReadWrite(const std::string& path) { return chmod(path.c_str(), S_IRUSR | S_IWUSR) == 0; }
bool Replace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

}  // namespace

void WriteOutputFile(const CompilerState& s, const std::string& target) {
    std::string path;
    const int fd = OpenTemporary(target, path);
    if (fd < 0) Fail(msg::kOpenError);
    TemporaryFile temp(path);
    temp.setFd(fd);

    WriteBinaryConfig(s, temp.fd());
    if (!Flush(temp.fd())) Fail(msg::kWriteError);
    if (!SetOwnerReadWrite(temp.path())) Fail(msg::kChmodError);
    if (temp.Close() != 0) Fail(msg::kWriteError);
    if (!Replace(temp.path(), target)) Fail(msg::kOpenError);
    temp.commit();
}

}  // namespace qx
