// Layout of qxgssconfig.bin: a fixed header, the element, attribute and text
// tables, then the string pool. All numbers are 32-bit little-endian and
// every offset counts from the start of the file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qxgss::format {

constexpr std::uint32_t kVersion = 2;

constexpr std::size_t kHeaderSize = 44;
constexpr std::size_t kElementRecordSize = 36;  // nine signed fields
constexpr std::size_t kAttributeRecordSize = 8;  // name, value
constexpr std::size_t kTextRecordSize = 4;       // value
constexpr std::size_t kElementFields = kElementRecordSize / 4;

// The pool's size is its length rounded up to this multiple with zero bytes.
constexpr std::uint32_t kPoolAlignment = 4;

// Byte offsets of the header fields.
constexpr std::size_t kVersionAt = 0;
constexpr std::size_t kReservedAt = 4;  // never assigned by every writer: ignored
constexpr std::size_t kElementOffsetAt = 8;
constexpr std::size_t kElementLastAt = 12;
constexpr std::size_t kAttributeOffsetAt = 16;
constexpr std::size_t kAttributeLastAt = 20;
constexpr std::size_t kTextOffsetAt = 24;
constexpr std::size_t kTextLastAt = 28;
constexpr std::size_t kPoolOffsetAt = 32;
constexpr std::size_t kStringCountAt = 36;
constexpr std::size_t kPoolSizeAt = 40;

inline std::uint32_t Get32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

inline std::int32_t GetI32(const std::uint8_t* at) {
    const std::uint32_t v = Get32(at);
    // Two's complement without relying on an implementation-defined conversion.
    return v <= 0x7FFFFFFFu ? static_cast<std::int32_t>(v)
                            : -static_cast<std::int32_t>(~v) - 1;
}

}  // namespace qxgss::format
