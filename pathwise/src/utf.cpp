#include "utf.h"

#include <iterator>
#include <utf8.h>

namespace Corvane_QxWallet {

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    utf8::utf8to16(text.begin(), text.end(), std::back_inserter(out));
    return out;
}

std::string utf16ToUtf8(const std::u16string& text) {
    std::string out;
    utf8::utf16to8(text.begin(), text.end(), std::back_inserter(out));
    return out;
}

}  // namespace Corvane_QxWallet
