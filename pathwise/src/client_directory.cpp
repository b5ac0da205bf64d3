#include "client_directory.h"

#include "format_text.h"
#include "messages.h"
#include "platform.h"
#include "system_error_text.h"
#include "utf.h"
#include "wallet_exception.h"

namespace Corvane_QxWallet {
namespace {

struct ClientDirectoryCache {
    std::u16string directory;
    bool mustLocate = true;
};

ClientDirectoryCache& cache() {
    static ClientDirectoryCache instance;
    return instance;
}

std::vector<char> readPointerFile(const std::u16string& moduleDirectory) {
    platform::InputFile file;
    const std::u16string path = moduleDirectory + kPointerFileName;
    if (const std::uint32_t error = file.open(path))
        raiseWalletException(formatText(messages::kCannotOpenPointer,
                                        {utf16ToUtf8(moduleDirectory), systemErrorText(error)}));
    std::vector<char> bytes;
    const std::uint32_t error = readInChunks(
        [&file](char* buffer, std::uint32_t size, std::uint32_t& got) { return file.read(buffer, size, got); }, bytes);
    file.close();
    if (error != 0)
        raiseWalletException(formatText(messages::kCannotReadPointer,
                                        {utf16ToUtf8(moduleDirectory), systemErrorText(error)}));
    return bytes;
}

}  // namespace

std::u16string moduleFileName() {
    // Any function of this library tells which module holds its code.
    const platform::ModuleHandle module = platform::moduleFromAddress(reinterpret_cast<const void*>(&moduleFileName));
    if (module == nullptr) raiseWalletException(formatText(messages::kNoModuleHandle, {lastErrorText()}));

    std::u16string name;
    if (!readGrowingName([module](char16_t* buffer,
                                  std::uint32_t size) { return platform::moduleFileName(module, buffer, size); },
                         name))
        raiseWalletException(formatText(messages::kNoModuleName, {lastErrorText()}));
    return name;
}

bool readGrowingName(const NameReader& get, std::u16string& name) {
    name.assign(kReadChunk, u'\0');
    for (;;) {
        const std::uint32_t size = static_cast<std::uint32_t>(name.size());
        const std::uint32_t length = get(name.data(), size);
        if (length == 0) {
            name.clear();
            return false;
        }
        if (length < size) {
            name.resize(length);
            return true;
        }
        name.resize(name.size() + kReadChunk);  // the name may have been cut
    }
}

std::u16string directoryOf(const std::u16string& fileName) {
    const std::size_t last = fileName.rfind(platform::kSeparator);
    return last == std::u16string::npos ? std::u16string() : fileName.substr(0, last + 1);
}

bool isAbsoluteDirectory(const std::u16string& directory) {
    if (!directory.empty() && (directory[0] == u'\\' || directory[0] == u'/')) return true;
    if (directory.size() < 2 || directory[1] != u':') return false;
    const char16_t c = directory[0];
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

std::uint32_t readInChunks(const ChunkReader& read, std::vector<char>& bytes) {
    bytes.clear();
    for (;;) {
        const std::size_t filled = bytes.size();
        bytes.resize(filled + kReadChunk);
        std::uint32_t got = 0;
        const std::uint32_t error = read(bytes.data() + filled, kReadChunk, got);
        if (error != 0) {
            bytes.resize(filled);
            return error;
        }
        if (got > kReadChunk) got = kReadChunk;  // never trust a count beyond the buffer
        bytes.resize(filled + got);
        if (got < kReadChunk) return 0;
    }
}

std::u16string clientDirectoryFrom(const std::vector<char>& content, const std::u16string& moduleDirectory) {
    std::u16string directory = utf8ToUtf16(std::string(content.begin(), content.end()));
    if (directory.empty())
        raiseWalletException(formatText(messages::kEmptyPointer, {utf16ToUtf8(moduleDirectory)}));
    if (!isAbsoluteDirectory(directory)) directory.insert(0, moduleDirectory);
    directory += platform::kSeparator;
    return directory;
}

const std::u16string& locateClientDirectory() {
    ClientDirectoryCache& state = cache();
    if (!state.mustLocate) return state.directory;

    const std::u16string moduleDirectory = directoryOf(moduleFileName());
    std::u16string directory = clientDirectoryFrom(readPointerFile(moduleDirectory), moduleDirectory);
    state.directory = std::move(directory);
    state.mustLocate = false;
    return state.directory;
}

}  // namespace Corvane_QxWallet
