// Prints the merged document the compiler records for a library and a user
// file, as indented XML in the same form as the framework's dump of a
// compiled file, so that the two can be compared.
//   render_merged LibXMLFile UserXMLFile
#include <cstdio>
#include <string>

#include "compiler_state.hpp"
#include "pipeline.hpp"
#include "run_end.hpp"

namespace {

std::string Escape(const char* text, bool attribute) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        switch (*p) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += attribute ? "&quot;" : "\""; break;
            default: out += *p;
        }
    }
    return out;
}

void Render(const qx::CompilerState& s, int i, int depth) {
    const qx::ElementRecord& e = s.final.elements[i];
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    std::string line = indent + "<" + s.str(e.name);
    for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
        line += std::string(" ") + s.str(s.merged.attributes[a].name) + "=\"" +
                Escape(s.str(s.merged.attributes[a].value), true) + "\"";
    }
    if (e.childCount == 0 && e.textCount == 0) {
        std::printf("%s/>\n", line.c_str());
        return;
    }
    std::printf("%s>\n", line.c_str());
    for (int t = e.firstText; t < e.firstText + e.textCount; ++t) {
        std::printf("%s  %s\n", indent.c_str(), Escape(s.str(s.merged.texts[t].value), false).c_str());
    }
    for (int c = e.firstChild; e.childCount > 0 && c < e.firstChild + e.childCount; ++c) Render(s, c, depth + 1);
    std::printf("%s</%s>\n", indent.c_str(), s.str(e.name));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_merged LibXMLFile UserXMLFile\n");
        return 1;
    }
    auto state = qx::MakeCompilerState();
    try {
        if (qx::MergeConfigFiles(*state, argv[1], argv[2]) != 1) return 1;
    } catch (const qx::RunEnded& end) {
        return end.status;
    }
    std::printf("<?xml version=\"1.0\"?>\n");
    Render(*state, 0, 0);
    return 0;
}
