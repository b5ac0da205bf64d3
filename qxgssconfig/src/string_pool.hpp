// One pool of normalized, NUL-terminated strings shared by all documents of a
// run. Each string is stored once and addressed by its byte offset; offset 0
// is the empty string.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace qx {

// Leading and trailing blanks (bytes 0x00-0x20) removed, every inner run of
// blanks turned into one space. Bytes 0x80-0xFF are ordinary characters.
std::string NormalizeText(const char* text);

class StringPool {
public:
    // Offset of the normalized text, storing it when it is new.
    std::int32_t AddPoolString(const char* text);
    // The string at an offset (the empty string for offsets outside the pool).
    const char* at(std::int32_t offset) const;

    // Pool bytes as stored: the leading NUL, then every string with its NUL.
    const std::vector<char>& bytes() const { return bytes_; }
    std::uint32_t length() const { return static_cast<std::uint32_t>(bytes_.size()); }
    std::uint32_t stringCount() const { return count_; }
    void clear();

private:
    void create();

    std::vector<char> bytes_;
    // Index of the stored strings; every string is stored once.
    std::unordered_map<std::string, std::int32_t> index_;
    std::uint32_t count_ = 0;
};

}  // namespace qx
