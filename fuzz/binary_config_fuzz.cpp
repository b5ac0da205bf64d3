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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qxgss::LoadResult result = qxgss::LoadBinaryConfig(data, size, "fuzz.bin");
    if (!result) {
        if (result.error.empty()) std::abort();
        return 0;
    }
    if (!result.error.empty()) std::abort();
    const qxgss::BinaryConfig& c = *result.config;
    std::int32_t visited = 0;
    std::size_t characters = 0;
    std::vector<std::int32_t> pending{c.root()};
    while (!pending.empty()) {
        const std::int32_t e = pending.back();
        pending.pop_back();
        ++visited;
        characters += c.elementName(e).size();
        for (std::int32_t a : c.attributes(e)) characters += c.attributeName(a).size() + c.attributeValue(a).size();
        for (std::int32_t t : c.texts(e)) characters += c.textValue(t).size();
        for (std::int32_t child : c.children(e)) pending.push_back(child);
    }
    if (visited != c.elementCount()) std::abort();
    if (qxgss::RenderXml(c).size() < characters) std::abort();
    return 0;
}
