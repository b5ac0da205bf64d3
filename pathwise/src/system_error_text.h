// Text for system error codes, as UTF-8 without trailing line ends.
#ifndef PATHWISE_SYSTEM_ERROR_TEXT_H
#define PATHWISE_SYSTEM_ERROR_TEXT_H

#include <cstdint>
#include <string>

namespace Corvane_QxWallet {

// The system's text for the code; when there is none, a text naming the
// code of the failed request.
std::string systemErrorText(std::uint32_t code);

// systemErrorText of the calling thread's last error code, read at the call.
std::string lastErrorText();

// Removes every carriage return and line feed from the end of text.
std::string trimLineEnds(std::string text);

}  // namespace Corvane_QxWallet

#endif
