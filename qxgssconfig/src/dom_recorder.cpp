#include "dom_recorder.hpp"

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNodeList.hpp>

#include "local_text.hpp"

XERCES_CPP_NAMESPACE_USE

namespace qx {
namespace {

bool IsXmlWhiteSpace(const XMLCh* text) {
    for (; text && *text; ++text) {
        if (*text != u' ' && *text != u'\t' && *text != u'\r' && *text != u'\n') return false;
    }
    return true;
}

void RecordChildren(CompilerState& s, const DOMNode* node) {
    for (const DOMNode* c = node->getFirstChild(); c; c = c->getNextSibling()) RecordDomNode(s, c);
}

void RecordElement(CompilerState& s, const DOMNode* node) {
    DocumentTables& t = *s.current;
    const DOMNamedNodeMap* attributes = node->getAttributes();
    const int attributeCount = attributes ? static_cast<int>(attributes->getLength()) : 0;

    ElementRecord r{};
    r.level = s.depth;
    r.parent = s.currentParent;
    r.childCount = 0;
    r.textCount = 0;
    r.firstChild = t.elementLast + 2;
    r.firstAttribute = t.attributeLast + 1;
    r.firstText = t.textLast + 1;
    r.attributeCount = attributeCount;
    r.name = s.pool.AddPoolString(ToLocal(node->getNodeName()).c_str());
    const int index = t.appendElement(r);
    if (index != 0) ++t.elements[s.currentParent].childCount;

    for (int a = 0; a < attributeCount; ++a) {
        const DOMNode* attr = attributes->item(a);
        AttributeRecord ar{};
        ar.name = s.pool.AddPoolString(ToLocal(attr->getNodeName()).c_str());
        ar.value = s.pool.AddPoolString(ToLocal(attr->getNodeValue()).c_str());
        t.appendAttribute(ar);
    }

    if (node->hasChildNodes()) {
        ++s.depth;
        s.currentParent = index;
        RecordChildren(s, node);
        --s.depth;
        s.currentParent = t.elements[s.currentParent].parent;
    }
}

void RecordText(CompilerState& s, const DOMNode* node) {
    DocumentTables& t = *s.current;
    const XMLCh* text = node->getNodeValue();
    if (IsXmlWhiteSpace(text) || t.elementLast < 0) return;
    TextRecord tr{};
    tr.value = s.pool.AddPoolString(ToLocal(text).c_str());
    t.appendText(tr);
    ++t.elements[t.elementLast].textCount;
}

}  // namespace

void RecordDomNode(CompilerState& s, const DOMNode* node) {
    if (!node) return;
    switch (node->getNodeType()) {
        case DOMNode::DOCUMENT_NODE:
            RecordChildren(s, node);
            break;
        case DOMNode::ELEMENT_NODE:
            RecordElement(s, node);
            break;
        case DOMNode::TEXT_NODE:
            RecordText(s, node);
            break;
        default:
            break;
    }
}

}  // namespace qx
