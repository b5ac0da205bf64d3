#include "digest.hpp"

namespace qxtest {
namespace {

// A 64-bit finaliser with full avalanche.
std::uint64_t Mix(std::uint64_t z) {
    z ^= z >> 30;
    z *= 0xBF58476D1CE4E5B9ull;
    z ^= z >> 27;
    z *= 0x94D049BB133111EBull;
    z ^= z >> 31;
    return z;
}

}  // namespace

std::uint64_t KeyedDigest(std::uint64_t key, std::uint8_t domain, const void* bytes, std::size_t length) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    std::uint64_t h = Mix(key ^ (0x9E3779B97F4A7C15ull * (domain + 1u)));
    for (std::size_t i = 0; i < length; ++i) {
        h = Mix(h ^ (static_cast<std::uint64_t>(p[i]) << 8 * (i % 8)) ^ (i + 1));
    }
    return Mix(h ^ Mix(key + length));
}

void ApplyKeystream(std::uint64_t key, std::uint64_t iv, unsigned char* bytes, std::size_t length) {
    std::uint64_t block = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (i % 8 == 0) block = Mix(key ^ Mix(iv + i / 8 + 1));
        bytes[i] ^= static_cast<unsigned char>(block >> 8 * (i % 8));
    }
}

void PutU64(unsigned char* out, std::uint64_t value) {
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<unsigned char>(value);
        value >>= 8;
    }
}

std::uint64_t GetU64(const unsigned char* in) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value = value << 8 | in[i];
    return value;
}

}  // namespace qxtest
