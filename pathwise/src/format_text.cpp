#include "format_text.h"

#include <cctype>
#include <charconv>
#include <iterator>
#include <stdexcept>
#include <utf8.h>
#include <vector>

namespace Corvane_QxWallet {
namespace {

using CodePoints = std::vector<char32_t>;

CodePoints decode(const char* begin, const char* end) {
    CodePoints out;
    utf8::utf8to32(begin, end, std::back_inserter(out));
    return out;
}

void appendAscii(CodePoints& out, const char* begin, const char* end) {
    for (const char* p = begin; p != end; ++p) out.push_back(static_cast<unsigned char>(*p));
}

template <typename Int>
void appendNumber(CodePoints& out, Int value, int base, bool upper) {
    char digits[16];
    auto result = std::to_chars(digits, digits + sizeof digits, value, base);
    if (upper)
        for (char* p = digits; p != result.ptr; ++p)
            *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    appendAscii(out, digits, result.ptr);
}

class ValueReader {
public:
    ValueReader(const FormatValue* begin, const FormatValue* end) : next_(begin), end_(end) {}

    const FormatValue& take(bool wantText) {
        if (next_ == end_) throw std::invalid_argument("formatText: too few values for the format");
        if (next_->isText() != wantText || (wantText && next_->text() == nullptr))
            throw std::invalid_argument("formatText: a value does not match its directive");
        return *next_++;
    }

private:
    const FormatValue* next_;
    const FormatValue* end_;
};

}  // namespace

std::string formatText(const std::string& format, std::initializer_list<FormatValue> values) {
    const CodePoints in = decode(format.data(), format.data() + format.size());
    ValueReader reader(values.begin(), values.end());
    CodePoints out;
    out.reserve(in.size());

    std::size_t i = 0;
    while (i < in.size()) {
        const char32_t c = in[i];
        if (c != U'%' || i + 1 == in.size()) {
            out.push_back(c);
            ++i;
            continue;
        }
        const char32_t d = in[i + 1];
        std::size_t used = 2;  // code points taken by the directive
        if (d == U'%') {
            out.push_back(U'%');
        } else if (d == U's') {
            const char* text = reader.take(true).text();
            const CodePoints inserted = decode(text, text + std::char_traits<char>::length(text));
            out.insert(out.end(), inserted.begin(), inserted.end());
        } else if (d == U'u') {
            appendNumber(out, reader.take(false).bits(), 10, false);
        } else if (d == U'X') {
            appendNumber(out, reader.take(false).bits(), 16, true);
        } else if (d == U'd') {
            appendNumber(out, static_cast<std::int32_t>(reader.take(false).bits()), 10, false);
        } else if (d == U'l' && i + 2 < in.size() && in[i + 2] == U'd') {
            appendNumber(out, static_cast<std::int32_t>(reader.take(false).bits()), 10, false);
            used = 3;
        } else {
            // Not a directive: keep the '%' and look at the next code point as usual.
            out.push_back(U'%');
            used = 1;
        }
        i += used;
    }

    std::string result;
    utf8::utf32to8(out.begin(), out.end(), std::back_inserter(result));
    return result;
}

}  // namespace Corvane_QxWallet
