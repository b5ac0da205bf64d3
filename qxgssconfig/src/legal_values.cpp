#include "legal_values.hpp"

#include <cstdio>
#include <cstring>

#include "compare.hpp"
#include "messages.hpp"
#include "tokens.hpp"

namespace qx {
namespace {

constexpr std::size_t kMaxMechanismNameLength = 8;

// The records of the section: the LegalValues element and its entries.
int SectionFirst(const CompilerState& s) { return s.legalValuesIndex; }
int SectionLast(const CompilerState& s) {
    const int last = s.legalValuesIndex + s.legalValuesCount;
    return last <= s.library.elementLast ? last : s.library.elementLast;
}

bool EntryHasAttributeNamed(const CompilerState& s, const ElementRecord& entry, const char* name) {
    for (int a = entry.firstAttribute; a < entry.firstAttribute + entry.attributeCount; ++a) {
        if (EqualsIgnoreCase(s.str(s.library.attributes[a].name), name)) return true;
    }
    return false;
}

bool EntryTextContains(const CompilerState& s, const ElementRecord& entry, const char* value) {
    for (int t = entry.firstText; t < entry.firstText + entry.textCount; ++t) {
        if (ContainsIgnoreCase(s.str(s.library.texts[t].value), value)) return true;
    }
    return false;
}

}  // namespace

int CheckAttributeLegal(CompilerState& s, const ElementRecord& e, const AttributeRecord* attributes) {
    int result = 1;
    const char* elementName = s.str(e.name);
    for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
        const char* name = s.str(attributes[a].name);
        const char* value = s.str(attributes[a].value);

        if (EqualsIgnoreCase(elementName, "Mechanism") && EqualsIgnoreCase(name, "Name") &&
            std::strlen(value) > kMaxMechanismNameLength) {
            std::printf(msg::kNameLengthFormat, name, value);
            result = -1;
        }

        const ElementRecord* attributeEntry = nullptr;
        const ElementRecord* elementEntry = nullptr;
        for (int i = SectionFirst(s); i <= SectionLast(s); ++i) {
            const ElementRecord& r = s.library.elements[i];
            const char* entryName = s.str(r.name);
            if (EqualsIgnoreCase(entryName, name)) attributeEntry = &r;
            if (EqualsIgnoreCase(entryName, elementName)) elementEntry = &r;
            if (attributeEntry || elementEntry) break;
        }
        if (!attributeEntry && !elementEntry) continue;

        bool accepted = false;
        if (attributeEntry) {
            accepted = EntryHasAttributeNamed(s, *attributeEntry, value) || EntryTextContains(s, *attributeEntry, value);
        }
        if (!accepted && elementEntry) accepted = EntryHasAttributeNamed(s, *elementEntry, name);
        if (!accepted) {
            std::printf(msg::kIllegalAttributeFormat, name, value);
            return -1;
        }
    }
    return result;
}

int CheckTextLegal(CompilerState& s, const ElementRecord& e) {
    const ElementRecord* entry = nullptr;
    for (int i = SectionFirst(s); i <= SectionLast(s); ++i) {
        if (EqualsIgnoreCase(s.str(s.library.elements[i].name), s.str(e.name))) entry = &s.library.elements[i];
    }
    if (!entry) return 0;
    const DocumentTables& current = *s.current;
    for (int t = e.firstText; t < e.firstText + e.textCount; ++t) {
        for (const std::string& word : SplitWords(s.str(current.texts[t].value))) {
            if (!EntryHasAttributeNamed(s, *entry, word.c_str())) {
                std::printf(msg::kIllegalTextFormat, word.c_str());
                return -1;
            }
        }
    }
    return 1;
}

int ValidateDocument(CompilerState& s, const DocumentTables& doc) {
    for (int i = s.legalValuesIndex + s.legalValuesCount + 1; i <= doc.elementLast; ++i) {
        const ElementRecord& e = doc.elements[i];
        if (e.attributeCount > 0 && CheckAttributeLegal(s, e, doc.attributes.data()) < 0) return -1;
        if (e.textCount > 0 && CheckTextLegal(s, e) < 0) return -1;
    }
    return 1;
}

}  // namespace qx
