#include "final_table.hpp"

#include "compare.hpp"
#include "document_tables.hpp"

namespace qx {

std::int32_t FindAttributeValueFinal(const CompilerState& s, int i, const char* name) {
    return FindAttributeValue(s, s.final.elements.data(), i, s.merged.attributes.data(), name);
}

bool FinalNameIs(const CompilerState& s, int i, const char* name) {
    return EqualsIgnoreCase(s.str(FinalElement(s, i).name), name);
}

void ForEachAttribute(const CompilerState& s, int i, const std::function<void(const char*, const char*)>& f) {
    const ElementRecord& e = FinalElement(s, i);
    for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
        f(s.str(MergedAttribute(s, a).name), s.str(MergedAttribute(s, a).value));
    }
}

bool HasAttributeValue(const CompilerState& s, int i, const char* name, const char* value) {
    bool found = false;
    ForEachAttribute(s, i, [&](const char* n, const char* v) {
        if (EqualsIgnoreCase(n, name) && EqualsIgnoreCase(v, value)) found = true;
    });
    return found;
}

}  // namespace qx
