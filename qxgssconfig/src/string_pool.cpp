#include "string_pool.hpp"

#include <cstdio>
#include <cstring>
#include <new>

#include "messages.hpp"
#include "run_end.hpp"

namespace qx {
namespace {

constexpr std::size_t kGrowStep = 1000;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

[[noreturn]] void OutOfMemory() {
    std::fputs(msg::kOutOfVirtualMemory, stderr);
    EndRun(1);
}

}  // namespace

std::string NormalizeText(const char* text) {
    std::string out;
    if (!text) return out;
    try {
        out.reserve(std::strlen(text));
        const char* p = text;
        while (*p && IsBlank(*p)) ++p;
        while (*p) {
            while (*p && !IsBlank(*p)) out.push_back(*p++);
            while (*p && IsBlank(*p)) ++p;
            if (*p) out.push_back(' ');
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    return out;
}

void StringPool::create() {
    try {
        bytes_.reserve(kGrowStep);
        bytes_.assign(1, '\0');
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    count_ = 0;
}

void StringPool::clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    index_.clear();
    count_ = 0;
}

std::int32_t StringPool::AddPoolString(const char* text) {
    const std::string s = NormalizeText(text);
    if (bytes_.empty()) create();

    if (s.empty()) return 0;
    if (auto it = index_.find(s); it != index_.end()) return it->second;

    // Grow in steps of 1000 bytes, keeping a byte free beyond the string.
    const std::size_t need = s.size() + 1;
    std::size_t capacity = bytes_.capacity();
    while (need >= capacity - bytes_.size()) capacity += kGrowStep;
    if (capacity > static_cast<std::size_t>(INT32_MAX)) OutOfMemory();
    const std::int32_t start = static_cast<std::int32_t>(bytes_.size());
    try {
        bytes_.reserve(capacity);
        bytes_.insert(bytes_.end(), s.c_str(), s.c_str() + need);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    try {
        index_.emplace(s, start);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    ++count_;
    return start;
}

const char* StringPool::at(std::int32_t offset) const {
    if (offset < 0 || static_cast<std::size_t>(offset) >= bytes_.size()) return "";
    return bytes_.data() + offset;
}

}  // namespace qx
