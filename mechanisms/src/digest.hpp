// The small keyed hash behind the test mechanism's keys, integrity values
// and keystream. It makes no cryptographic claim: it only has to make any
// changed byte show.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qxtest {

// A 64-bit value of `length` bytes under `key`, different for every domain.
std::uint64_t KeyedDigest(std::uint64_t key, std::uint8_t domain, const void* bytes, std::size_t length);
// XORs the bytes with a keystream drawn from key and iv (its own inverse).
void ApplyKeystream(std::uint64_t key, std::uint64_t iv, unsigned char* bytes, std::size_t length);
// Serialises a 64-bit value big-endian / reads it back.
void PutU64(unsigned char* out, std::uint64_t value);
std::uint64_t GetU64(const unsigned char* in);

}  // namespace qxtest
