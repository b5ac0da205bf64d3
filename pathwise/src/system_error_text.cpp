#include "system_error_text.h"

#include "format_text.h"
#include "messages.h"
#include "platform.h"
#include "utf.h"

namespace Corvane_QxWallet {

std::string trimLineEnds(std::string text) {
    const std::size_t keep = text.find_last_not_of("\r\n");
    text.erase(keep == std::string::npos ? 0 : keep + 1);
    return text;
}

std::string systemErrorText(std::uint32_t code) {
    std::u16string text;
    if (!platform::systemMessage(code, text))
        return formatText(messages::kCannotFormatMessage, {platform::lastErrorCode()});
    return trimLineEnds(utf16ToUtf8(text));
}

std::string lastErrorText() { return systemErrorText(platform::lastErrorCode()); }

}  // namespace Corvane_QxWallet
