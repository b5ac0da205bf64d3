#include "merge.hpp"

#include <cstdio>
#include <vector>

#include "compare.hpp"
#include "document_tables.hpp"
#include "messages.hpp"
#include "run_end.hpp"

namespace qx {
namespace {

// Children of element `parent` in `tables`, in index order.
std::vector<int> CollectChildren(const CompilerState& s, const DocumentTables& tables, int parent) {
    std::vector<int> children;
    for (int i = 1; i <= tables.elementLast; ++i) {
        if (tables.elements[i].parent != parent) continue;
        if (static_cast<int>(children.size()) == kMaxMergeChildren) {
            std::fprintf(stderr, msg::kTooManyChildrenFormat, s.str(tables.elements[parent].name),
                         kMaxMergeChildren);
            EndRun(1);
        }
        children.push_back(i);
    }
    return children;
}

bool SameName(const CompilerState& s, const ElementRecord& a, const ElementRecord& b) {
    return EqualsIgnoreCase(s.str(a.name), s.str(b.name));
}

// True when every attribute of user element c has an equal name and value
// among library element k's attributes.
bool Covers(const CompilerState& s, const ElementRecord& k, const ElementRecord& c) {
    int pairs = 0;
    for (int i = c.firstAttribute; i < c.firstAttribute + c.attributeCount; ++i) {
        const AttributeRecord& ca = s.user.attributes[i];
        for (int j = k.firstAttribute; j < k.firstAttribute + k.attributeCount; ++j) {
            const AttributeRecord& ka = s.library.attributes[j];
            if (EqualsIgnoreCase(s.str(ca.name), s.str(ka.name)) &&
                EqualsIgnoreCase(s.str(ca.value), s.str(ka.value))) {
                ++pairs;
            }
        }
    }
    return pairs == c.attributeCount;
}

bool HasObjectIdOf(const CompilerState& s, const ElementRecord& e, const AttributeRecord* attributes,
                   const char* objectId) {
    for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
        if (EqualsIgnoreCase(s.str(attributes[a].name), "ObjectId") &&
            EqualsIgnoreCase(s.str(attributes[a].value), objectId)) {
            return true;
        }
    }
    return false;
}

// A library NegotiatedMechanism k under library element l is already in the
// merged document when an element of that name, under a parent with l's Name,
// carries one of k's ObjectId values.
bool NegotiatedMechanismPresent(const CompilerState& s, int l, int k) {
    const DocumentTables& lib = s.library;
    const DocumentTables& m = *s.current;
    const char* parentName =
        s.str(FindAttributeValue(s, lib.elements.data(), l, lib.attributes.data(), "Name"));
    const ElementRecord& ke = lib.elements[k];
    for (int i = 0; i <= m.elementLast; ++i) {
        const ElementRecord& e = m.elements[i];
        if (!EqualsIgnoreCase(s.str(e.name), "NegotiatedMechanism")) continue;
        const char* mergedParentName =
            s.str(FindAttributeValue(s, m.elements.data(), e.parent, m.attributes.data(), "Name"));
        if (!EqualsIgnoreCase(mergedParentName, parentName)) continue;
        for (int a = ke.firstAttribute; a < ke.firstAttribute + ke.attributeCount; ++a) {
            if (EqualsIgnoreCase(s.str(lib.attributes[a].name), "ObjectId") &&
                HasObjectIdOf(s, e, m.attributes.data(), s.str(lib.attributes[a].value))) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void MergeElements(CompilerState& s, int u, int l) {
    DocumentTables& lib = s.library;
    DocumentTables& usr = s.user;
    DocumentTables& out = *s.current;

    ElementRecord copy = lib.elements[l];
    if (copy.level == -1) copy.level = usr.elements[u].level;
    const int m = out.appendElement(copy);
    lib.elements[l].level = -1;
    usr.elements[u].level = -1;

    MergeAttributes(s, l, u, m);
    CopyTexts(s, usr.elements[u], usr);

    const std::vector<int> userChildren = CollectChildren(s, usr, u);
    const std::vector<int> libraryChildren = CollectChildren(s, lib, l);

    for (int c : userChildren) {
        const ElementRecord& ce = usr.elements[c];
        int first = -1;
        int found = 0;
        for (int k : libraryChildren) {
            if (!SameName(s, lib.elements[k], ce)) continue;
            if (found++ == 0) first = k;
            if (found == 2) break;
        }
        if (found == 0) {
            CopySubtree(s, usr, c, usr.elementLast);
        } else if (found == 1) {
            MergeElements(s, c, first);
        } else {
            int base = -1;
            for (int k : libraryChildren) {
                if (SameName(s, lib.elements[k], ce) && Covers(s, lib.elements[k], ce)) {
                    base = k;
                    break;
                }
            }
            if (base >= 0) {
                MergeElements(s, c, base);
            } else {
                CopySubtree(s, usr, c, usr.elementLast);
            }
        }
    }

    for (int k : libraryChildren) {
        RebuildParentLinks(s);
        if (lib.elements[k].level == -1) continue;
        if (EqualsIgnoreCase(s.str(lib.elements[k].name), "NegotiatedMechanism") &&
            NegotiatedMechanismPresent(s, l, k)) {
            continue;
        }
        CopySubtree(s, lib, k, lib.elementLast);
    }
}

void MergeAttributes(CompilerState& s, int l, int u, int m) {
    DocumentTables& out = *s.current;
    const ElementRecord& le = s.library.elements[l];
    const ElementRecord& ue = s.user.elements[u];

    out.elements[m].attributeCount = 0;
    out.elements[m].firstAttribute = out.attributeLast + 1;
    const int first = out.elements[m].firstAttribute;

    for (int a = le.firstAttribute; a < le.firstAttribute + le.attributeCount; ++a) {
        out.appendAttribute(s.library.attributes[a]);
        ++out.elements[m].attributeCount;
    }
    for (int a = ue.firstAttribute; a < ue.firstAttribute + ue.attributeCount; ++a) {
        const AttributeRecord& ua = s.user.attributes[a];
        bool replaced = false;
        for (int i = first; i < first + out.elements[m].attributeCount; ++i) {
            if (EqualsIgnoreCase(s.str(out.attributes[i].name), s.str(ua.name))) {
                out.attributes[i].value = ua.value;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out.appendAttribute(ua);
            ++out.elements[m].attributeCount;
        }
    }
}

void CopyAttributes(CompilerState& s, const ElementRecord& r, const DocumentTables& source) {
    DocumentTables& out = *s.current;
    ElementRecord& newest = out.elements[out.elementLast];
    newest.attributeCount = r.attributeCount;
    newest.firstAttribute = out.attributeLast + 1;
    for (int a = r.firstAttribute; a < r.firstAttribute + r.attributeCount; ++a) {
        out.appendAttribute(source.attributes[a]);
    }
}

void CopyTexts(CompilerState& s, const ElementRecord& r, const DocumentTables& source) {
    DocumentTables& out = *s.current;
    ElementRecord& newest = out.elements[out.elementLast];
    newest.textCount = r.textCount;
    newest.firstText = out.textLast + 1;
    for (int t = r.firstText; t < r.firstText + r.textCount; ++t) {
        out.appendText(source.texts[t]);
    }
}

void CopySubtree(CompilerState& s, const DocumentTables& source, int start, int last) {
    const ElementRecord r = source.elements[start];
    s.current->appendElement(r);
    CopyAttributes(s, r, source);
    CopyTexts(s, r, source);
    for (int i = start + 1; i <= last; ++i) {
        if (source.elements[i].parent == start && source.elements[i].level != -1) {
            CopySubtree(s, source, i, last);
        }
    }
}

void RebuildParentLinks(CompilerState& s) {
    DocumentTables& t = *s.current;
    int previousIndex = 0;
    int previousLevel = 0;
    int parent = 0;
    for (int i = 0; i <= t.elementLast; ++i) {
        ElementRecord& e = t.elements[i];
        e.childCount = 0;
        if (e.level > previousLevel) {
            parent = previousIndex;
        } else {
            for (int n = e.level; n < previousLevel; ++n) parent = t.elements[parent].parent;
        }
        e.parent = parent;
        previousIndex = i;
        previousLevel = e.level;
        if (i != 0) {
            ++t.elements[parent].childCount;
            t.elements[parent].firstChild = parent + 1;
        }
    }
}

}  // namespace qx
