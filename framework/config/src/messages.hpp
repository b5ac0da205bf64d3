// Every message of the configuration reader, as printf formats. The loader
// prefixes each with the file's name and ": ".
#pragma once

namespace qxgss::msg {

// Reading the file
constexpr const char* kCannotOpen = "cannot open the file: %s";
constexpr const char* kCannotRead = "cannot read the file: %s";
constexpr const char* kTooLarge = "file is too large to be a configuration";
constexpr const char* kOutOfMemory = "out of memory while reading the configuration";

// Header
constexpr const char* kShorterThanHeader = "file of %lld bytes is shorter than the %lld-byte header";
constexpr const char* kVersion = "format version %lu, expected %lu";
constexpr const char* kElementOffset = "element table offset %lu, expected %lld";
constexpr const char* kLastBelowMinusOne = "%s last index %ld is below -1";
constexpr const char* kTableOffset = "%s table offset %lu, expected %lld";
constexpr const char* kPoolSizeAlignment = "pool size %lu is not a multiple of %lu";
constexpr const char* kFileLength = "file length %lld, expected %lld (pool offset %lu + pool size %lu)";
constexpr const char* kNoRoot = "the element table is empty: there is no root";

// String pool
constexpr const char* kPoolNoEmptyString = "the string pool does not start with the NUL of the empty string";
constexpr const char* kPoolUnterminated = "string pool: the string at offset %lld is not terminated";
constexpr const char* kPoolEmptyStored = "string pool: an empty string is stored at offset %lld";
constexpr const char* kPoolPadding = "string pool: %lld zero bytes after the last string, at most %lld expected";
constexpr const char* kPoolRepeated = "string pool: the string at offset %lld repeats the one at offset %lld";
constexpr const char* kStringCount = "string count %lu, but the pool holds %lld strings";

// String references: "<what>: <problem>"
constexpr const char* kStringOutsidePool = "%s: string offset %ld outside the pool (%lld bytes)";
constexpr const char* kStringNotAtStart = "%s: string offset %ld is not the start of a stored string";

// Elements
constexpr const char* kRootLevel = "element 0: level %ld, the root's level is 0";
constexpr const char* kRootParent = "element 0: parent %ld, the root's parent is 0";
constexpr const char* kNegativeCount = "element %ld: %s count %ld is negative";
constexpr const char* kFirstChildNotAfter = "element %ld: first child %ld is not after the element";
constexpr const char* kFirstChildBeyond = "element %ld: first child %ld beyond the element table (%lld records)";
constexpr const char* kLastChildBeyond = "element %ld: last child %lld beyond the element table (%lld records)";
constexpr const char* kRangeBeyond = "element %ld: %ss %ld to %lld beyond the %s table (%lld records)";
constexpr const char* kEmptyRangeBeyond = "element %ld: first %s %ld beyond the %s table (%lld records)";
constexpr const char* kFirstNegative = "element %ld: first %s %ld is negative";
constexpr const char* kChildTwice = "element %ld: child %ld is also a child of element %ld";
constexpr const char* kNotAChild = "element %ld: parent %ld, but no element lists it as a child";
constexpr const char* kWrongParent = "element %ld: parent %ld, but it is a child of element %ld";
constexpr const char* kLevel = "element %ld: level %ld, expected %lld (its parent %ld is at level %ld)";
constexpr const char* kSharedRecord = "element %ld: %s %ld also belongs to element %ld";

}  // namespace qxgss::msg
