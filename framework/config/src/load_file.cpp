// Reading a configuration file whole before it is checked.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "messages.hpp"
#include "qxgss/binary_config.hpp"
#include "text_format.hpp"

namespace qxgss {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The largest file a configuration can be: every table and the pool are
// addressed by 32-bit offsets from the start of the file.
constexpr unsigned long long kMaxFileSize = 2ull * 0xFFFFFFFFull;

}  // namespace

LoadResult LoadBinaryConfigFile(const std::string& path) {
    LoadResult result;
    auto fail = [&](const std::string& message) {
        result.error = path + ": " + message;
        return result;
    };
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return fail(FormatText(msg::kCannotOpen, std::strerror(errno)));

    std::vector<std::uint8_t> bytes;
    try {
        std::uint8_t chunk[64 * 1024];
        for (;;) {
            const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
            if (bytes.size() + static_cast<unsigned long long>(got) > kMaxFileSize) return fail(msg::kTooLarge);
            bytes.insert(bytes.end(), chunk, chunk + got);
            if (got < sizeof chunk) break;
        }
    } catch (const std::bad_alloc&) {
        return fail(msg::kOutOfMemory);
    }
    if (std::ferror(file.get())) return fail(FormatText(msg::kCannotRead, std::strerror(errno)));
    return LoadBinaryConfig(bytes.data(), bytes.size(), path);
}

}  // namespace qxgss
