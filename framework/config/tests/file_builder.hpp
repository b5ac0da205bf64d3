// Builds configuration files record by record for the reader's tests, and
// patches single words of them. Test code only.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "format.hpp"
#include "qxgss/binary_config.hpp"

namespace qxgss::test {

struct FileBuilder {
    std::vector<ElementRecord> elements;
    std::vector<AttributeRecord> attributes;
    std::vector<std::int32_t> texts;
    std::string pool{'\0'};  // the empty string at offset 0
    std::uint32_t strings = 0;
    std::map<std::string, std::int32_t> offsets{{"", 0}};

    // Offset of S in the pool, storing it once.
    std::int32_t str(const std::string& s) {
        const auto found = offsets.find(s);
        if (found != offsets.end()) return found->second;
        const auto at = static_cast<std::int32_t>(pool.size());
        pool += s;
        pool += '\0';
        ++strings;
        offsets.emplace(s, at);
        return at;
    }

    std::vector<std::uint8_t> bytes() const {
        std::string padded = pool;
        while (padded.size() % format::kPoolAlignment != 0) padded += '\0';
        const std::uint32_t elementOffset = format::kHeaderSize;
        const auto attributeOffset =
            static_cast<std::uint32_t>(elementOffset + format::kElementRecordSize * elements.size());
        const auto textOffset =
            static_cast<std::uint32_t>(attributeOffset + format::kAttributeRecordSize * attributes.size());
        const auto poolOffset = static_cast<std::uint32_t>(textOffset + format::kTextRecordSize * texts.size());
        std::vector<std::uint8_t> out;
        const auto put = [&out](std::uint32_t v) {
            for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
        };
        const auto last = [](std::size_t n) { return static_cast<std::uint32_t>(n) - 1u; };
        put(format::kVersion);
        put(0);
        put(elementOffset);
        put(last(elements.size()));
        put(attributeOffset);
        put(last(attributes.size()));
        put(textOffset);
        put(last(texts.size()));
        put(poolOffset);
        put(strings);
        put(static_cast<std::uint32_t>(padded.size()));
        for (const ElementRecord& e : elements)
            for (std::int32_t v : {e.level, e.parent, e.name, e.firstChild, e.childCount, e.firstAttribute,
                                   e.attributeCount, e.firstText, e.textCount})
                put(static_cast<std::uint32_t>(v));
        for (const AttributeRecord& a : attributes) {
            put(static_cast<std::uint32_t>(a.name));
            put(static_cast<std::uint32_t>(a.value));
        }
        for (std::int32_t t : texts) put(static_cast<std::uint32_t>(t));
        out.insert(out.end(), padded.begin(), padded.end());
        return out;
    }
};

inline void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::size_t ElementFieldAt(std::size_t element, std::size_t field) {
    return format::kHeaderSize + format::kElementRecordSize * element + 4 * field;
}

}  // namespace qxgss::test
