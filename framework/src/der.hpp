// DER building blocks: identifiers, definite lengths and element scanning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qxgss::der {

constexpr unsigned char kContextClass = 0x80;
constexpr unsigned char kConstructed = 0x20;
// Deepest nesting a decoder follows.
constexpr int kMaxDepth = 32;

// Base-128 digits, most significant first, continuation bit on all but the last.
void PutBase128(std::vector<unsigned char>& out, std::uint64_t value);
void PutIdentifier(std::vector<unsigned char>& out, bool constructed, std::uint32_t tag);
void PutLength(std::vector<unsigned char>& out, std::size_t length);
// The minimal two's-complement contents of an unsigned 32-bit value.
std::vector<unsigned char> IntegerContents(std::uint32_t value);
// The value of minimal INTEGER contents that fit an unsigned 32-bit value.
std::optional<std::uint32_t> ParseIntegerContents(const unsigned char* p, std::size_t length);

struct Element {
    unsigned char tagClass;  // the two class bits
    bool constructed;
    std::uint32_t tag;
    std::size_t contentStart;
    std::size_t contentEnd;  // one past the contents
};

// The element at `at` within bytes [0, end); nothing when its identifier or
// length is malformed, not minimal, indefinite or runs past `end`.
std::optional<Element> ReadElement(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t end);

}  // namespace qxgss::der
