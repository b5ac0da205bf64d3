// The binary configuration file: the final element table, the merged
// attribute and text tables and the string pool behind a 44-byte header.
#pragma once

#include <cstdint>
#include <vector>

#include "compiler_state.hpp"

namespace qx {

inline constexpr std::uint32_t kFormatVersion = 2;
inline constexpr std::uint32_t kHeaderSize = 44;
inline constexpr std::uint32_t kElementRecordSize = 36;
inline constexpr std::uint32_t kAttributeRecordSize = 8;
inline constexpr std::uint32_t kTextRecordSize = 4;

// Builds the final element table from the merged tables: the root, then
// every element's children as one block, blocks in the pre-order of their
// parents.
void RegroupElements(CompilerState& s);

// The whole file's bytes.
std::vector<std::uint8_t> BuildBinaryConfig(const CompilerState& s);

// Writes the whole file to an open descriptor with one write call; ends the
// run on failure.
void WriteBinaryConfig(const CompilerState& s, int fd);

}  // namespace qx
