// Flat record tables that hold one configuration document.
#pragma once

#include <array>
#include <cstdint>

namespace qx {

// Capacities of one document's tables.
constexpr int kMaxElements = 512;
constexpr int kMaxAttributes = 1024;
constexpr int kMaxTexts = 1024;
// Children of one element collected on each side of a merge.
constexpr int kMaxMergeChildren = 511;

// One XML element; every field is a signed 32-bit value, -1 meaning none.
struct ElementRecord {
    std::int32_t level;           // depth, root 0; -1 once consumed by the merge
    std::int32_t parent;          // index of the parent; 0 for the root
    std::int32_t name;            // string offset
    std::int32_t firstChild;      // meaningful only when childCount != 0
    std::int32_t childCount;
    std::int32_t firstAttribute;
    std::int32_t attributeCount;
    std::int32_t firstText;
    std::int32_t textCount;
};

struct AttributeRecord {
    std::int32_t name;   // string offset
    std::int32_t value;  // string offset
};

struct TextRecord {
    std::int32_t value;  // string offset
};

// Element, attribute and text tables of one document, with the last index
// used in each (-1 when empty).
struct DocumentTables {
    std::array<ElementRecord, kMaxElements> elements{};
    std::array<AttributeRecord, kMaxAttributes> attributes{};
    std::array<TextRecord, kMaxTexts> texts{};
    int elementLast = -1;
    int attributeLast = -1;
    int textLast = -1;

    void clear() { *this = DocumentTables{}; }
    void resetLastIndices() { elementLast = attributeLast = textLast = -1; }

    // Appenders: each returns the new record's index, or ends the run with a
    // capacity message when the table is full.
    int appendElement(const ElementRecord& r);
    int appendAttribute(const AttributeRecord& r);
    int appendText(const TextRecord& r);
};

}  // namespace qx
