// Random corruptions of a valid compiled file (the shipped configuration):
// every one must either load, and then survive a full walk of the tree, or
// be refused with a message. Run under the sanitizers, this is the check
// that the reader never reads outside the file.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qxgss/binary_config.hpp"
#include "render.hpp"
#include "walk.hpp"

namespace qxgss::test {
namespace {

constexpr int kRates = 20;
constexpr int kCorruptionsPerRate = 10000;
constexpr std::uint32_t kSeed = 20261210;

// Read relative to the test's working directory (the fixtures folder).
std::vector<std::uint8_t> ReadFixture(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Mutation rate r (1..kRates) touches each byte with probability r / 10000, at
// least one byte, and now and then cuts or extends the file as well.
std::vector<std::uint8_t> Corrupt(std::vector<std::uint8_t> bytes, int rate, std::mt19937& random) {
    std::uniform_int_distribution<int> perMille(0, 999), kind(0, 4), byte(0, 255), bit(0, 7), small(-2, 63);
    std::uniform_int_distribution<std::size_t> position(0, bytes.size() - 1);
    const auto mutate = [&](std::size_t at) {
        switch (kind(random)) {
            case 0: bytes[at] ^= static_cast<std::uint8_t>(1u << bit(random)); break;
            case 1: bytes[at] = 0x00; break;
            case 2: bytes[at] = 0xFF; break;
            case 3: bytes[at] = static_cast<std::uint8_t>(byte(random)); break;
            default: {
                // A small number (an index, a count, -1) over the aligned word.
                const std::size_t word = at & ~static_cast<std::size_t>(3);
                const auto v = static_cast<std::uint32_t>(small(random));
                for (std::size_t i = 0; i < 4 && word + i < bytes.size(); ++i)
                    bytes[word + i] = static_cast<std::uint8_t>(v >> (8 * i));
            }
        }
    };
    // As many bytes as a per-byte chance of rate / 10000 would touch.
    std::binomial_distribution<std::size_t> touched(bytes.size(), rate / 10000.0);
    for (std::size_t n = std::max<std::size_t>(1, touched(random)); n > 0; --n) mutate(position(random));
    switch (perMille(random) % 8) {
        case 0: bytes.resize(std::uniform_int_distribution<std::size_t>(0, bytes.size())(random)); break;
        case 1: bytes.resize(bytes.size() + std::uniform_int_distribution<std::size_t>(1, 8)(random),
                             static_cast<std::uint8_t>(byte(random)));
            break;
        default: break;
    }
    return bytes;
}

TEST(BinaryConfigCorruption, EveryCorruptionLoadsCleanlyOrIsRefused) {
    const std::vector<std::uint8_t> valid = ReadFixture("shipped.bin");
    ASSERT_FALSE(valid.empty()) << "fixture shipped.bin missing";
    ASSERT_TRUE(LoadBinaryConfig(valid.data(), valid.size(), "shipped.bin"));

    for (int rate = 1; rate <= kRates; ++rate) {
        std::mt19937 random(kSeed + static_cast<std::uint32_t>(rate));
        int loaded = 0, refused = 0;
        for (int i = 0; i < kCorruptionsPerRate; ++i) {
            const std::vector<std::uint8_t> bytes = Corrupt(valid, rate, random);
            const LoadResult result = LoadBinaryConfig(bytes.data(), bytes.size(), "c.bin");
            if (!result) {
                ASSERT_EQ(result.error.rfind("c.bin: ", 0), 0u) << "rate " << rate << " corruption " << i;
                ASSERT_GT(result.error.size(), 7u) << "rate " << rate << " corruption " << i;
                ++refused;
                continue;
            }
            ASSERT_EQ(result.error, "");
            std::size_t characters = 0;
            ASSERT_EQ(WalkConfig(*result.config, characters), result.config->elementCount())
                << "rate " << rate << " corruption " << i;
            ASSERT_FALSE(RenderXml(*result.config).empty());
            ++loaded;
        }
        std::printf("rate %2d: %5d loaded, %5d refused\n", rate, loaded, refused);
        // Both outcomes occur, so the run reaches past the first checks.
        EXPECT_GT(refused, 0) << "rate " << rate;
        if (rate == 1) {
            EXPECT_GT(loaded, 0) << "no corruption at the lowest rate loaded";
        }
    }
}

}  // namespace
}  // namespace qxgss::test
