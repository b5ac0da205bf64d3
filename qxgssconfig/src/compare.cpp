#include "compare.hpp"

namespace qx {
namespace {
unsigned char Fold(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}
}  // namespace

bool EqualsIgnoreCase(const char* a, const char* b) {
    if (!a || !b) return false;
    for (; *a && *b; ++a, ++b) {
        if (Fold(*a) != Fold(*b)) return false;
    }
    return *a == *b;
}

bool ContainsIgnoreCase(const char* haystack, const char* needle) {
    if (!haystack || !needle) return false;
    for (const char* start = haystack;; ++start) {
        const char* h = start;
        const char* n = needle;
        while (*n && *h && Fold(*h) == Fold(*n)) { ++h; ++n; }
        if (!*n) return true;
        if (!*start) return false;
    }
}

}  // namespace qx
