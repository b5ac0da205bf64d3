// Reader of the compiled configuration file qxgssconfig.bin.
//
// A file is loaded whole and checked before anything is handed out: the
// header, every record and every string reference must agree with the
// layout and with the file's length. A file that passes becomes a read-only
// BinaryConfig; any other file gets one message naming the first fault
// found, prefixed with the file's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qxgss {

// One element: nine signed 32-bit fields, in file order.
struct ElementRecord {
    std::int32_t level;
    std::int32_t parent;
    std::int32_t name;  // string offset
    std::int32_t firstChild;
    std::int32_t childCount;
    std::int32_t firstAttribute;
    std::int32_t attributeCount;
    std::int32_t firstText;
    std::int32_t textCount;
};

// One attribute: two string offsets.
struct AttributeRecord {
    std::int32_t name;
    std::int32_t value;
};

// A run of consecutive record indices, usable in a range-for.
class IndexRange {
public:
    class iterator {
    public:
        explicit iterator(std::int32_t at) : at_(at) {}
        std::int32_t operator*() const { return at_; }
        iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator!=(const iterator& other) const { return at_ != other.at_; }
        bool operator==(const iterator& other) const { return at_ == other.at_; }

    private:
        std::int32_t at_;
    };

    IndexRange(std::int32_t first, std::int32_t count) : first_(first), count_(count) {}
    std::int32_t first() const { return first_; }
    std::int32_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    iterator begin() const { return iterator(first_); }
    iterator end() const { return iterator(first_ + count_); }

private:
    std::int32_t first_;
    std::int32_t count_;
};

// A checked configuration file. Every index and offset stored in it is known
// to be valid. Accessors given an index or offset outside the file throw
// std::out_of_range.
class BinaryConfig {
public:
    static constexpr std::int32_t kRoot = 0;

    std::int32_t elementCount() const { return static_cast<std::int32_t>(elements_.size()); }
    std::int32_t attributeCount() const { return static_cast<std::int32_t>(attributes_.size()); }
    std::int32_t textCount() const { return static_cast<std::int32_t>(texts_.size()); }
    // Strings stored in the pool, the leading empty string not counted.
    std::uint32_t stringCount() const { return stringCount_; }

    const ElementRecord& element(std::int32_t index) const;
    const AttributeRecord& attribute(std::int32_t index) const;
    std::int32_t text(std::int32_t index) const;  // string offset of a text value

    // The NUL-terminated string at a byte offset of the pool (0: the empty string).
    std::string_view string(std::int32_t offset) const;

    std::int32_t root() const { return kRoot; }
    std::string_view elementName(std::int32_t element) const;
    IndexRange children(std::int32_t element) const;
    IndexRange attributes(std::int32_t element) const;
    IndexRange texts(std::int32_t element) const;
    std::string_view attributeName(std::int32_t attribute) const;
    std::string_view attributeValue(std::int32_t attribute) const;
    std::string_view textValue(std::int32_t text) const;

    // Index of the element's first attribute whose name equals NAME ignoring
    // ASCII letter case, or nothing.
    std::optional<std::int32_t> findAttribute(std::int32_t element, std::string_view name) const;
    // Value of that attribute, or nothing when the element has none so named.
    std::optional<std::string_view> attributeValue(std::int32_t element, std::string_view name) const;

private:
    friend class BinaryConfigChecker;
    BinaryConfig() = default;

    std::vector<ElementRecord> elements_;
    std::vector<AttributeRecord> attributes_;
    std::vector<std::int32_t> texts_;
    std::string pool_;  // the pool's bytes, padding included
    std::uint32_t stringCount_ = 0;
};

// Either a checked configuration or the message naming why the file was refused.
struct LoadResult {
    std::optional<BinaryConfig> config;
    std::string error;  // empty when config holds a value

    explicit operator bool() const { return config.has_value(); }
};

// Checks BYTES as a compiled configuration; NAME prefixes the error message.
LoadResult LoadBinaryConfig(const std::uint8_t* bytes, std::size_t size, std::string_view name);
// Reads and checks the file at PATH; the path prefixes the error message.
LoadResult LoadBinaryConfigFile(const std::string& path);

// Equal ignoring ASCII letter case (bytes outside A-Z/a-z compare exactly).
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace qxgss
