#include "document_tables.hpp"

#include <cstdio>

#include "compare.hpp"
#include "messages.hpp"
#include "run_end.hpp"

namespace qx {

std::unique_ptr<CompilerState> MakeCompilerState() { return std::make_unique<CompilerState>(); }

namespace {
template <typename Table, typename Record>
int Append(Table& table, int& last, const Record& r, const char* format, int capacity) {
    if (last + 1 >= capacity) {
        std::fprintf(stderr, format, capacity);
        EndRun(1);
    }
    table[++last] = r;
    return last;
}
}  // namespace

int DocumentTables::appendElement(const ElementRecord& r) {
    return Append(elements, elementLast, r, msg::kTooManyElementsFormat, kMaxElements);
}

int DocumentTables::appendAttribute(const AttributeRecord& r) {
    return Append(attributes, attributeLast, r, msg::kTooManyAttributesFormat, kMaxAttributes);
}

int DocumentTables::appendText(const TextRecord& r) {
    return Append(texts, textLast, r, msg::kTooManyTextsFormat, kMaxTexts);
}

std::int32_t FindAttributeValue(const CompilerState& s, const ElementRecord* elements, int index,
                                const AttributeRecord* attributes, const char* name) {
    const ElementRecord& e = elements[index];
    for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
        if (EqualsIgnoreCase(s.str(attributes[a].name), name)) return attributes[a].value;
    }
    return 0;
}

int FindFirstElement(const CompilerState& s, const DocumentTables& tables, const char* name) {
    for (int i = 0; i <= tables.elementLast; ++i) {
        if (EqualsIgnoreCase(s.str(tables.elements[i].name), name)) return i;
    }
    return -1;
}

bool IsUserFile(const CompilerState& s) {
    const DocumentTables& u = s.user;
    const int header = FindFirstElement(s, u, "Header");
    if (header < 0) return false;
    const ElementRecord& e = u.elements[header];
    for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
        if (EqualsIgnoreCase(s.str(u.attributes[a].name), "ConfigFileType") &&
            EqualsIgnoreCase(s.str(u.attributes[a].value), "user")) {
            return true;
        }
    }
    return false;
}

}  // namespace qx
