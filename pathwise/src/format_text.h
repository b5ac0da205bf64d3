// The library's small printf-like formatter for UTF-8 messages.
//
// Directives: %% %s %u %d %ld %X. Any other character after '%' leaves the
// '%' in place; a '%' at the very end stays too. Inserted text is never
// scanned again. Numbers are written without grouping or fill.
#ifndef PATHWISE_FORMAT_TEXT_H
#define PATHWISE_FORMAT_TEXT_H

#include <cstdint>
#include <initializer_list>
#include <string>

namespace Corvane_QxWallet {

// One value for a directive: a UTF-8 string or 32 bits of an integer.
class FormatValue {
public:
    FormatValue(const char* text) : text_(text), isText_(true) {}
    FormatValue(const std::string& text) : text_(text.c_str()), isText_(true) {}
    FormatValue(std::int32_t value) : bits_(static_cast<std::uint32_t>(value)) {}
    FormatValue(std::uint32_t value) : bits_(value) {}

    bool isText() const { return isText_; }
    const char* text() const { return text_; }
    std::uint32_t bits() const { return bits_; }

private:
    const char* text_ = nullptr;
    std::uint32_t bits_ = 0;
    bool isText_ = false;
};

// Throws utfcpp's exceptions for malformed UTF-8 in the format or in a %s
// value, and std::invalid_argument when the values do not match the
// directives (too few, or a string where a number belongs and back).
std::string formatText(const std::string& format, std::initializer_list<FormatValue> values = {});

}  // namespace Corvane_QxWallet

#endif
