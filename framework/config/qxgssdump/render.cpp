#include "render.hpp"

#include <utility>
#include <vector>

namespace qxgss {
namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\"?>\n";
constexpr std::size_t kIndentPerLevel = 2;

void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"':
                if (inAttribute) {
                    out += "&quot;";
                    break;
                }
                out += c;
                break;
            default: out += c;
        }
    }
}

void Indent(std::string& out, std::int32_t level) {
    out.append(static_cast<std::size_t>(level) * kIndentPerLevel, ' ');
}

}  // namespace

std::string RenderXml(const BinaryConfig& config) {
    std::string out = kDeclaration;
    // An explicit stack rather than recursion: a deep file cannot exhaust the
    // call stack. Each entry is an element and whether its closing tag is due.
    std::vector<std::pair<std::int32_t, bool>> stack{{config.root(), false}};
    while (!stack.empty()) {
        const auto [e, closing] = stack.back();
        stack.pop_back();
        const ElementRecord& r = config.element(e);
        Indent(out, r.level);
        if (closing) {
            out += "</";
            out += config.elementName(e);
            out += ">\n";
            continue;
        }
        out += '<';
        out += config.elementName(e);
        for (std::int32_t a : config.attributes(e)) {
            out += ' ';
            out += config.attributeName(a);
            out += "=\"";
            AppendEscaped(out, config.attributeValue(a), true);
            out += '"';
        }
        const IndexRange children = config.children(e);
        const IndexRange texts = config.texts(e);
        if (children.empty() && texts.empty()) {
            out += "/>\n";
            continue;
        }
        out += ">\n";
        for (std::int32_t t : texts) {
            Indent(out, r.level + 1);
            AppendEscaped(out, config.textValue(t), false);
            out += '\n';
        }
        stack.emplace_back(e, true);
        for (std::int32_t c = children.first() + children.size() - 1; c >= children.first(); --c)
            stack.emplace_back(c, false);
    }
    return out;
}

}  // namespace qxgss
