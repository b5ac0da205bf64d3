// Conversion between the XML library's 16-bit characters and the local
// 8-bit code page: the ANSI code page on Windows, UTF-8 elsewhere.
#pragma once

#include <string>

#include <xercesc/util/XercesDefs.hpp>

namespace qx {

std::string ToLocal(const XMLCh* text);
std::u16string FromLocal(const char* text);

}  // namespace qx
