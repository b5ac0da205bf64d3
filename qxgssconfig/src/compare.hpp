// The compiler's only string comparisons: every name and value comparison
// ignores ASCII letter case.
#pragma once

namespace qx {

// Equal ignoring letter case, same length.
bool EqualsIgnoreCase(const char* a, const char* b);
// True when needle occurs in haystack, ignoring letter case.
bool ContainsIgnoreCase(const char* haystack, const char* needle);

}  // namespace qx
