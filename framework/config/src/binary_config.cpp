// Accessors of a checked configuration. Indices stored in the file are
// known to be valid; indices a caller passes in are checked here.
#include <stdexcept>

#include "qxgss/binary_config.hpp"

namespace qxgss {
namespace {

template <typename T>
const T& At(const std::vector<T>& table, std::int32_t index, const char* what) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        throw std::out_of_range(std::string(what) + " index " + std::to_string(index) + " outside the table");
    return table[static_cast<std::size_t>(index)];
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

const ElementRecord& BinaryConfig::element(std::int32_t index) const { return At(elements_, index, "element"); }

const AttributeRecord& BinaryConfig::attribute(std::int32_t index) const {
    return At(attributes_, index, "attribute");
}

std::int32_t BinaryConfig::text(std::int32_t index) const { return At(texts_, index, "text"); }

std::string_view BinaryConfig::string(std::int32_t offset) const {
    if (offset < 0 || static_cast<std::size_t>(offset) >= pool_.size())
        throw std::out_of_range("string offset " + std::to_string(offset) + " outside the pool");
    // The pool ends with a NUL (checked at load), so the scan stays inside it.
    return std::string_view(pool_.c_str() + offset);
}

std::string_view BinaryConfig::elementName(std::int32_t e) const { return string(element(e).name); }

IndexRange BinaryConfig::children(std::int32_t e) const {
    const ElementRecord& r = element(e);
    return r.childCount == 0 ? IndexRange(0, 0) : IndexRange(r.firstChild, r.childCount);
}

IndexRange BinaryConfig::attributes(std::int32_t e) const {
    const ElementRecord& r = element(e);
    return IndexRange(r.firstAttribute, r.attributeCount);
}

IndexRange BinaryConfig::texts(std::int32_t e) const {
    const ElementRecord& r = element(e);
    return IndexRange(r.firstText, r.textCount);
}

std::string_view BinaryConfig::attributeName(std::int32_t a) const { return string(attribute(a).name); }

std::string_view BinaryConfig::attributeValue(std::int32_t a) const { return string(attribute(a).value); }

std::string_view BinaryConfig::textValue(std::int32_t t) const { return string(text(t)); }

std::optional<std::int32_t> BinaryConfig::findAttribute(std::int32_t e, std::string_view name) const {
    for (std::int32_t a : attributes(e))
        if (EqualsIgnoreAsciiCase(attributeName(a), name)) return a;
    return std::nullopt;
}

std::optional<std::string_view> BinaryConfig::attributeValue(std::int32_t e, std::string_view name) const {
    const std::optional<std::int32_t> a = findAttribute(e, name);
    if (!a) return std::nullopt;
    return attributeValue(*a);
}

}  // namespace qxgss
