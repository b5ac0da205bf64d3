// Discovery of the client installation directory from the pointer file
// `qxclientdir` beside the module that holds this library's code.
#ifndef PATHWISE_CLIENT_DIRECTORY_H
#define PATHWISE_CLIENT_DIRECTORY_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Corvane_QxWallet {

inline constexpr char16_t kPointerFileName[] = u"qxclientdir";
inline constexpr std::uint32_t kReadChunk = 1000;

// Full file name of the module that contains this library's code.
std::u16string moduleFileName();

// Fills name through get(buffer, size) -> units stored (0 on failure, size
// when the name may have been cut), starting with kReadChunk units and
// growing by kReadChunk while the answer fills the buffer. False on failure.
using NameReader = std::function<std::uint32_t(char16_t*, std::uint32_t)>;
bool readGrowingName(const NameReader& get, std::u16string& name);

// The file name up to and including its last separator (empty if none).
std::u16string directoryOf(const std::u16string& fileName);

// Absolute: starts with '\' or '/', or a letter followed by ':'.
bool isAbsoluteDirectory(const std::u16string& directory);

// Reads everything through read(buffer, size, bytesRead) -> error code into
// bytes, in chunks of kReadChunk bytes, stopping after the first short read.
// Returns 0, or the error code of the read that failed.
using ChunkReader = std::function<std::uint32_t(char*, std::uint32_t, std::uint32_t&)>;
std::uint32_t readInChunks(const ChunkReader& read, std::vector<char>& bytes);

// The client directory from pointer-file bytes read beside moduleDirectory.
std::u16string clientDirectoryFrom(const std::vector<char>& content, const std::u16string& moduleDirectory);

// The cached directory, located on the first call that succeeds. Call only
// while the process's WalletLock is held.
const std::u16string& locateClientDirectory();

}  // namespace Corvane_QxWallet

#endif
