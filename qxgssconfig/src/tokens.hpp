// Splitting a text value into its space-separated words.
#pragma once

#include <string>
#include <vector>

namespace qx {

// The words of a normalized text (split at spaces, empty words dropped).
// Ends the run with the allocation message when memory runs out.
std::vector<std::string> SplitWords(const char* text);

}  // namespace qx
