// UTF-8 <-> UTF-16 conversion (checked; utfcpp's exceptions pass through).
#ifndef PATHWISE_UTF_H
#define PATHWISE_UTF_H

#include <string>

namespace Corvane_QxWallet {

std::u16string utf8ToUtf16(const std::string& text);
std::string utf16ToUtf8(const std::u16string& text);

}  // namespace Corvane_QxWallet

#endif
