#include "der.hpp"

namespace qxgss::der {

void PutBase128(std::vector<unsigned char>& out, std::uint64_t value) {
    unsigned char tmp[10];
    int n = 0;
    do {
        tmp[n++] = static_cast<unsigned char>(value & 0x7F);
        value >>= 7;
    } while (value);
    while (n--) out.push_back(static_cast<unsigned char>(tmp[n] | (n ? 0x80 : 0)));
}

void PutIdentifier(std::vector<unsigned char>& out, bool constructed, std::uint32_t tag) {
    const unsigned char first = static_cast<unsigned char>(kContextClass | (constructed ? kConstructed : 0));
    if (tag < 31) {
        out.push_back(static_cast<unsigned char>(first | tag));
        return;
    }
    out.push_back(static_cast<unsigned char>(first | 0x1F));
    PutBase128(out, tag);
}

void PutLength(std::vector<unsigned char>& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<unsigned char>(length));
        return;
    }
    unsigned char tmp[sizeof(std::size_t)];
    int n = 0;
    while (length) {
        tmp[n++] = static_cast<unsigned char>(length & 0xFF);
        length >>= 8;
    }
    out.push_back(static_cast<unsigned char>(0x80 | n));
    while (n--) out.push_back(tmp[n]);
}

std::vector<unsigned char> IntegerContents(std::uint32_t value) {
    std::vector<unsigned char> out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char b = static_cast<unsigned char>(value >> shift);
        if (out.empty() && b == 0 && shift) continue;
        if (out.empty() && (b & 0x80)) out.push_back(0);
        out.push_back(b);
    }
    return out;
}

std::optional<std::uint32_t> ParseIntegerContents(const unsigned char* p, std::size_t length) {
    if (length == 0 || length > 5) return std::nullopt;
    if (p[0] & 0x80) return std::nullopt;  // negative
    if (length > 1 && p[0] == 0 && !(p[1] & 0x80)) return std::nullopt;  // not minimal
    if (length == 5 && p[0] != 0) return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < length; ++i) v = (v << 8) | p[i];
    if (v > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::optional<Element> ReadElement(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t end) {
    if (end > bytes.size() || at >= end) return std::nullopt;
    Element e{};
    const unsigned char first = bytes[at++];
    e.tagClass = static_cast<unsigned char>(first & 0xC0);
    e.constructed = (first & kConstructed) != 0;
    e.tag = first & 0x1F;
    if (e.tag == 0x1F) {
        e.tag = 0;
        int n = 0;
        while (true) {
            if (at >= end || n == 5) return std::nullopt;
            const unsigned char b = bytes[at++];
            if (n == 0 && b == 0x80) return std::nullopt;  // not minimal
            e.tag = (e.tag << 7) | (b & 0x7F);
            ++n;
            if (!(b & 0x80)) break;
        }
        if (e.tag < 31) return std::nullopt;
    }
    if (at >= end) return std::nullopt;
    const unsigned char l = bytes[at++];
    std::size_t length = l;
    if (l & 0x80) {
        const int n = l & 0x7F;
        if (n == 0 || n > 4) return std::nullopt;  // indefinite or absurd
        length = 0;
        for (int i = 0; i < n; ++i) {
            if (at >= end) return std::nullopt;
            length = (length << 8) | bytes[at++];
        }
        if (length < 0x80 || (n > 1 && (length >> (8 * (n - 1))) == 0)) return std::nullopt;  // not minimal
    }
    if (length > end - at) return std::nullopt;
    e.contentStart = at;
    e.contentEnd = at + length;
    return e;
}

}  // namespace qxgss::der
