// The checks that turn bytes into a BinaryConfig. They establish everything
// the accessors and every walk of the tree rely on:
// - the header's offsets follow from its last indices exactly, and the file
//   ends where the pool does;
// - the pool is the empty string, the stored strings (each non-empty, once,
//   NUL-terminated) and at most three bytes of zero fill;
// - every string reference is the start of a stored string;
// - the root is element 0; every child range lies inside the table after its
//   element, the ranges of different elements do not overlap, and each
//   element's parent is the element whose range holds it, so parents come
//   before their children and the tree has no cycle;
// - every level is its parent's plus one;
// - attribute and text ranges lie inside their tables and belong to one
//   element each.
// All arithmetic on file values is done in 64 bits, so nothing overflows.
#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>

#include "format.hpp"
#include "messages.hpp"
#include "qxgss/binary_config.hpp"
#include "text_format.hpp"

namespace qxgss {
namespace {

using format::Get32;
using format::GetI32;

// Thrown by the checks with the message of the first fault; caught by the loader.
struct Rejection {
    std::string message;
};

[[noreturn]] void Reject(const char* message) { throw Rejection{message}; }

template <typename... Args>
[[noreturn]] void Reject(const char* fmt, Args... args) {
    throw Rejection{FormatText(fmt, args...)};
}

long L(std::int32_t v) { return static_cast<long>(v); }
unsigned long U(std::uint32_t v) { return static_cast<unsigned long>(v); }
long long LL(long long v) { return v; }

struct Header {
    std::uint32_t version, elementOffset, attributeOffset, textOffset, poolOffset, stringCount, poolSize;
    std::int32_t elementLast, attributeLast, textLast;
};

}  // namespace

class BinaryConfigChecker {
public:
    BinaryConfigChecker(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    BinaryConfig Check() {
        const Header h = CheckHeader();
        BinaryConfig c;
        c.stringCount_ = h.stringCount;
        c.pool_.assign(reinterpret_cast<const char*>(bytes_ + h.poolOffset), h.poolSize);
        CheckPool(c.pool_, h.stringCount);
        ReadTables(h, c);
        CheckStrings(c);
        CheckElements(c);
        return c;
    }

private:
    Header CheckHeader() const {
        if (size_ < format::kHeaderSize)
            Reject(msg::kShorterThanHeader, LL(static_cast<long long>(size_)), LL(format::kHeaderSize));
        Header h{};
        h.version = Get32(bytes_ + format::kVersionAt);
        h.elementOffset = Get32(bytes_ + format::kElementOffsetAt);
        h.elementLast = GetI32(bytes_ + format::kElementLastAt);
        h.attributeOffset = Get32(bytes_ + format::kAttributeOffsetAt);
        h.attributeLast = GetI32(bytes_ + format::kAttributeLastAt);
        h.textOffset = Get32(bytes_ + format::kTextOffsetAt);
        h.textLast = GetI32(bytes_ + format::kTextLastAt);
        h.poolOffset = Get32(bytes_ + format::kPoolOffsetAt);
        h.stringCount = Get32(bytes_ + format::kStringCountAt);
        h.poolSize = Get32(bytes_ + format::kPoolSizeAt);

        if (h.version != format::kVersion) Reject(msg::kVersion, U(h.version), U(format::kVersion));
        if (h.elementOffset != format::kHeaderSize)
            Reject(msg::kElementOffset, U(h.elementOffset), LL(format::kHeaderSize));
        CheckTableAfter("element", h.elementLast, "attribute", h.attributeOffset, h.elementOffset,
                        format::kElementRecordSize);
        CheckTableAfter("attribute", h.attributeLast, "text", h.textOffset, h.attributeOffset,
                        format::kAttributeRecordSize);
        CheckTableAfter("text", h.textLast, "pool", h.poolOffset, h.textOffset, format::kTextRecordSize);
        if (h.poolSize % format::kPoolAlignment != 0)
            Reject(msg::kPoolSizeAlignment, U(h.poolSize), U(format::kPoolAlignment));
        const long long length = static_cast<long long>(h.poolOffset) + h.poolSize;
        if (static_cast<unsigned long long>(length) != size_)
            Reject(msg::kFileLength, LL(static_cast<long long>(size_)), length, U(h.poolOffset), U(h.poolSize));
        if (h.elementLast < 0) Reject(msg::kNoRoot);
        return h;
    }

    // The table described by LAST starts at START; the next table must begin
    // right after its records.
    static void CheckTableAfter(const char* table, std::int32_t last, const char* next, std::uint32_t nextOffset,
                                std::uint32_t start, std::size_t recordSize) {
        if (last < -1) Reject(msg::kLastBelowMinusOne, table, L(last));
        const long long expected =
            static_cast<long long>(start) + static_cast<long long>(recordSize) * (static_cast<long long>(last) + 1);
        if (static_cast<long long>(nextOffset) != expected) Reject(msg::kTableOffset, next, U(nextOffset), expected);
    }

    void CheckPool(const std::string& pool, std::uint32_t stringCount) {
        const std::size_t size = pool.size();
        if (size == 0 || pool[0] != '\0') Reject(msg::kPoolNoEmptyString);
        starts_.assign(size, 0);
        starts_[0] = 1;
        std::unordered_map<std::string_view, std::size_t> seen;
        long long strings = 0;
        std::size_t at = 1;
        while (at < size) {
            if (pool[at] == '\0') {
                // Only zero fill may follow, and at most alignment - 1 bytes of it.
                std::size_t end = at;
                while (end < size && pool[end] == '\0') ++end;
                if (end < size) Reject(msg::kPoolEmptyStored, LL(static_cast<long long>(at)));
                if (size - at >= format::kPoolAlignment)
                    Reject(msg::kPoolPadding, LL(static_cast<long long>(size - at)), LL(format::kPoolAlignment - 1));
                break;
            }
            const void* nul = std::memchr(pool.data() + at, '\0', size - at);
            if (nul == nullptr) Reject(msg::kPoolUnterminated, LL(static_cast<long long>(at)));
            const std::size_t length = static_cast<const char*>(nul) - (pool.data() + at);
            const std::string_view s(pool.data() + at, length);
            const auto [it, added] = seen.emplace(s, at);
            if (!added) Reject(msg::kPoolRepeated, LL(static_cast<long long>(at)), LL(static_cast<long long>(it->second)));
            starts_[at] = 1;
            ++strings;
            at += length + 1;
        }
        if (strings != static_cast<long long>(stringCount)) Reject(msg::kStringCount, U(stringCount), strings);
    }

    void ReadTables(const Header& h, BinaryConfig& c) const {
        c.elements_.resize(static_cast<std::size_t>(h.elementLast) + 1);
        const std::uint8_t* at = bytes_ + h.elementOffset;
        for (ElementRecord& e : c.elements_) {
            std::int32_t* fields[format::kElementFields] = {&e.level,          &e.parent,         &e.name,
                                                            &e.firstChild,     &e.childCount,     &e.firstAttribute,
                                                            &e.attributeCount, &e.firstText,      &e.textCount};
            for (std::int32_t* f : fields) {
                *f = GetI32(at);
                at += 4;
            }
        }
        c.attributes_.resize(static_cast<std::size_t>(h.attributeLast + 1));
        at = bytes_ + h.attributeOffset;
        for (AttributeRecord& a : c.attributes_) {
            a.name = GetI32(at);
            a.value = GetI32(at + 4);
            at += format::kAttributeRecordSize;
        }
        c.texts_.resize(static_cast<std::size_t>(h.textLast + 1));
        at = bytes_ + h.textOffset;
        for (std::int32_t& t : c.texts_) {
            t = GetI32(at);
            at += format::kTextRecordSize;
        }
    }

    void CheckString(const std::string& what, std::int32_t offset) const {
        if (offset < 0 || static_cast<std::size_t>(offset) >= starts_.size())
            Reject(msg::kStringOutsidePool, what.c_str(), L(offset), LL(static_cast<long long>(starts_.size())));
        if (!starts_[static_cast<std::size_t>(offset)]) Reject(msg::kStringNotAtStart, what.c_str(), L(offset));
    }

    void CheckStrings(const BinaryConfig& c) const {
        for (std::int32_t i = 0; i < c.elementCount(); ++i)
            CheckString("element " + std::to_string(i) + " name", c.elements_[i].name);
        for (std::int32_t i = 0; i < c.attributeCount(); ++i) {
            CheckString("attribute " + std::to_string(i) + " name", c.attributes_[i].name);
            CheckString("attribute " + std::to_string(i) + " value", c.attributes_[i].value);
        }
        for (std::int32_t i = 0; i < c.textCount(); ++i) CheckString("text " + std::to_string(i), c.texts_[i]);
    }

    // FIRST..FIRST+COUNT-1 must lie inside a table of TOTAL records and belong
    // to no other element.
    static void CheckRange(std::int32_t element, const char* kind, std::int32_t first, std::int32_t count,
                           std::vector<std::int32_t>& owners) {
        const long long total = static_cast<long long>(owners.size());
        if (count < 0) Reject(msg::kNegativeCount, L(element), kind, L(count));
        if (first < 0) Reject(msg::kFirstNegative, L(element), kind, L(first));
        const long long end = static_cast<long long>(first) + count;
        if (count == 0 && first > total) Reject(msg::kEmptyRangeBeyond, L(element), kind, L(first), kind, total);
        if (end > total) Reject(msg::kRangeBeyond, L(element), kind, L(first), end - 1, kind, total);
        for (std::int32_t r = first; r < end; ++r) {
            if (owners[r] >= 0) Reject(msg::kSharedRecord, L(element), kind, L(r), L(owners[r]));
            owners[r] = element;
        }
    }

    static void CheckElements(const BinaryConfig& c) {
        const std::int32_t n = c.elementCount();
        const ElementRecord& root = c.elements_[0];
        if (root.level != 0) Reject(msg::kRootLevel, L(root.level));
        if (root.parent != 0) Reject(msg::kRootParent, L(root.parent));

        std::vector<std::int32_t> parentOf(static_cast<std::size_t>(n), -1);
        std::vector<std::int32_t> attributeOwners(c.attributes_.size(), -1);
        std::vector<std::int32_t> textOwners(c.texts_.size(), -1);
        for (std::int32_t i = 0; i < n; ++i) {
            const ElementRecord& e = c.elements_[i];
            if (e.childCount < 0) Reject(msg::kNegativeCount, L(i), "child", L(e.childCount));
            if (e.childCount > 0) {
                if (e.firstChild <= i) Reject(msg::kFirstChildNotAfter, L(i), L(e.firstChild));
                if (e.firstChild >= n) Reject(msg::kFirstChildBeyond, L(i), L(e.firstChild), LL(n));
                const long long last = static_cast<long long>(e.firstChild) + e.childCount - 1;
                if (last >= n) Reject(msg::kLastChildBeyond, L(i), last, LL(n));
                for (std::int32_t k = e.firstChild; k <= last; ++k) {
                    if (parentOf[k] >= 0) Reject(msg::kChildTwice, L(i), L(k), L(parentOf[k]));
                    parentOf[k] = i;
                }
            }
            CheckRange(i, "attribute", e.firstAttribute, e.attributeCount, attributeOwners);
            CheckRange(i, "text", e.firstText, e.textCount, textOwners);
        }
        // Every range starts after its element, so each parent precedes its
        // children and its level is already checked when a child is reached.
        for (std::int32_t i = 1; i < n; ++i) {
            const ElementRecord& e = c.elements_[i];
            if (parentOf[i] < 0) Reject(msg::kNotAChild, L(i), L(e.parent));
            if (e.parent != parentOf[i]) Reject(msg::kWrongParent, L(i), L(e.parent), L(parentOf[i]));
            const std::int32_t parentLevel = c.elements_[e.parent].level;
            if (static_cast<long long>(e.level) != static_cast<long long>(parentLevel) + 1)
                Reject(msg::kLevel, L(i), L(e.level), static_cast<long long>(parentLevel) + 1, L(e.parent),
                       L(parentLevel));
        }
    }

    const std::uint8_t* bytes_;
    std::size_t size_;
    std::vector<char> starts_;  // 1 where a stored string (or the empty one) begins
};

LoadResult LoadBinaryConfig(const std::uint8_t* bytes, std::size_t size, std::string_view name) {
    LoadResult result;
    try {
        result.config = BinaryConfigChecker(bytes, size).Check();
    } catch (const Rejection& r) {
        result.error = std::string(name) + ": " + r.message;
    } catch (const std::bad_alloc&) {
        result.config.reset();
        result.error = std::string(name) + ": " + msg::kOutOfMemory;
    }
    return result;
}

}  // namespace qxgss
