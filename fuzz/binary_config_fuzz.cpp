// Fuzz target of the configuration reader: the input is the content of a
// qxgssconfig.bin. A file must either load, and then survive a full walk of
// the tree and the dump, or be refused with a message; a load that reports
// both, or neither, aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "qxgss/binary_config.hpp"
#include "render.hpp"
#include "walk.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qxgss::LoadResult result = qxgss::LoadBinaryConfig(data, size, "fuzz.bin");
    if (!result) {
        if (result.error.empty()) std::abort();
        return 0;
    }
    if (!result.error.empty()) std::abort();
    const qxgss::BinaryConfig& c = *result.config;
    std::size_t characters = 0;
    const std::int32_t visited = qxgss::test::WalkConfig(c, characters);
    if (visited != c.elementCount()) std::abort();
    if (qxgss::RenderXml(c).size() < characters) std::abort();
    return 0;
}
