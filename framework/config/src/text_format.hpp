// printf-style formatting into a std::string.
#pragma once

#include <string>

namespace qxgss {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string FormatText(const char* format, ...);

}  // namespace qxgss
