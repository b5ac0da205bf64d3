// A full walk of a loaded configuration, for the tests and the fuzz target
// that check the reader: every element from the root through the child
// ranges, every name, attribute and text read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "qxgss/binary_config.hpp"

namespace qxgss::test {

// The elements visited; `characters` grows by the length of every string read.
inline std::int32_t WalkConfig(const BinaryConfig& c, std::size_t& characters) {
    std::int32_t visited = 0;
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
    return visited;
}

}  // namespace qxgss::test
