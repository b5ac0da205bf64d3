// The ASN.1 decode handle: the token is checked as a whole when the top
// sequence is opened (every length inside its bounds, nesting limited), then
// sequences are handed out in document order and items found by tag.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "der.hpp"
#include "memory.hpp"
#include "status.hpp"

using namespace qxgss;

struct gsspasn_sequence {
    const std::vector<unsigned char>* bytes;
    der::Element element;
    int children;
};

struct gsspasn_decoder {
    std::vector<unsigned char> bytes;
    // Every constructed context-tagged element of the top sequence, in
    // document order; filled when the top sequence is opened.
    std::vector<std::unique_ptr<gsspasn_sequence>> sequences;
    std::size_t next = 0;  // index of the next sequence to consider
    bool opened = false;
};

namespace {

// Walks the contents of `parent`, recording constructed elements in
// document order; false when anything inside is malformed.
bool Scan(gsspasn_decoder& d, const der::Element& parent, int depth, int* children) {
    if (depth > der::kMaxDepth) return false;
    *children = 0;
    std::size_t at = parent.contentStart;
    while (at < parent.contentEnd) {
        const auto child = der::ReadElement(d.bytes, at, parent.contentEnd);
        if (!child) return false;
        ++*children;
        if (child->constructed) {
            auto seq = std::make_unique<gsspasn_sequence>(gsspasn_sequence{&d.bytes, *child, 0});
            gsspasn_sequence* raw = seq.get();
            const bool contextTagged = child->tagClass == der::kContextClass;
            if (contextTagged) d.sequences.push_back(std::move(seq));
            int grandChildren = 0;
            if (!Scan(d, *child, depth + 1, &grandChildren)) return false;
            if (contextTagged) raw->children = grandChildren;
        }
        at = child->contentEnd;
    }
    return true;
}

uint32_t ReadItem(const gsspasn_sequence& seq, const der::Element& e, uint32_t type, void* value) {
    const unsigned char* p = seq.bytes->data() + e.contentStart;
    const std::size_t n = e.contentEnd - e.contentStart;
    switch (type) {
        case GSSPASN_TYPE_INTEGER: {
            const auto v = der::ParseIntegerContents(p, n);
            if (!v) return kAsnBadEncoding;
            *static_cast<uint32_t*>(value) = *v;
            return kSuccess;
        }
        case GSSPASN_TYPE_BUFFER: {
            auto* b = static_cast<gssp_buffer_desc*>(value);
            b->length = 0;
            b->value = nullptr;
            if (n == 0) return kSuccess;
            b->value = Malloc(n + 1);
            if (!b->value) return kNoMemory;
            std::memcpy(b->value, p, n);
            static_cast<unsigned char*>(b->value)[n] = 0;
            b->length = n;
            return kSuccess;
        }
        case GSSPASN_TYPE_OID: {
            auto* o = static_cast<gssp_OID_desc*>(value);
            o->length = 0;
            o->elements = nullptr;
            if (n == 0) return kSuccess;
            o->elements = Malloc(n);
            if (!o->elements) return kNoMemory;
            std::memcpy(o->elements, p, n);
            o->length = static_cast<uint32_t>(n);
            return kSuccess;
        }
        default:
            return kAsnBadType;
    }
}

}  // namespace

extern "C" {

QXGSS_API uint32_t gsspasn_open_decode_handle(gsspasn_decode_handle* h, const gssp_buffer_desc* token) {
    if (!h) return kBadArgument;
    *h = nullptr;
    if (!token || !token->value || token->length == 0 || token->length > 0x7FFFFFFFu) return kBadArgument;
    auto* d = new (std::nothrow) gsspasn_decoder();
    if (!d) return kNoMemory;
    try {
        const auto* p = static_cast<const unsigned char*>(token->value);
        d->bytes.assign(p, p + token->length);
    } catch (const std::bad_alloc&) {
        delete d;
        return kNoMemory;
    }
    *h = d;
    return kSuccess;
}

QXGSS_API uint32_t gsspasn_set_decode_tagging(gsspasn_decode_handle h, uint32_t tagging) {
    if (!h) return kAsnBadDecodeHandle;
    return tagging == 0 ? kSuccess : kBadArgument;
}

QXGSS_API uint32_t gsspasn_get_top_decode_sequence(gsspasn_decode_handle h, uint32_t tag,
                                                   gsspasn_sequence_t* sequence, int* found) {
    if (!h || !sequence || !found) return kAsnBadDecodeHandle;
    *sequence = nullptr;
    *found = 0;
    if (h->opened) return kAsnSequenceMismatch;
    h->opened = true;
    const auto top = der::ReadElement(h->bytes, 0, h->bytes.size());
    if (!top || top->contentEnd != h->bytes.size()) return kAsnBadEncoding;  // trailing bytes too
    if (!top->constructed || top->tagClass != der::kContextClass || top->tag != tag) return kSuccess;
    try {
        auto seq = std::make_unique<gsspasn_sequence>(gsspasn_sequence{&h->bytes, *top, 0});
        int children = 0;
        gsspasn_sequence* raw = seq.get();
        h->sequences.push_back(std::move(seq));
        if (!Scan(*h, *top, 1, &children)) {
            h->sequences.clear();
            return kAsnBadEncoding;
        }
        raw->children = children;
        h->next = 1;
        *sequence = raw;
        *found = children;
    } catch (const std::bad_alloc&) {
        h->sequences.clear();
        return kNoMemory;
    }
    return kSuccess;
}

QXGSS_API uint32_t gsspasn_get_decode_sequence(gsspasn_decode_handle h, uint32_t tag, gsspasn_sequence_t* sequence,
                                               int* found) {
    if (!h || !sequence || !found) return kAsnBadDecodeHandle;
    *sequence = nullptr;
    *found = 0;
    if (h->sequences.empty()) return kAsnSequenceMismatch;
    for (std::size_t i = h->next; i < h->sequences.size(); ++i) {
        if (h->sequences[i]->element.tag != tag) continue;
        h->next = i + 1;
        *sequence = h->sequences[i].get();
        *found = h->sequences[i]->children;
        return kSuccess;
    }
    h->next = h->sequences.size();
    return kSuccess;
}

QXGSS_API uint32_t gsspasn_get_decode_item(gsspasn_sequence_t sequence, uint32_t tag, uint32_t type, void* value) {
    if (!sequence || !value) return kAsnBadDecodeHandle;
    if (type != GSSPASN_TYPE_INTEGER && type != GSSPASN_TYPE_BUFFER && type != GSSPASN_TYPE_OID) return kAsnBadType;
    const der::Element& parent = sequence->element;
    std::size_t at = parent.contentStart;
    while (at < parent.contentEnd) {
        const auto e = der::ReadElement(*sequence->bytes, at, parent.contentEnd);
        if (!e) return kAsnBadEncoding;
        if (!e->constructed && e->tagClass == der::kContextClass && e->tag == tag) {
            return ReadItem(*sequence, *e, type, value);
        }
        at = e->contentEnd;
    }
    return kAsnItemAbsent;
}

QXGSS_API uint32_t gsspasn_close_decode_handle(gsspasn_decode_handle* h) {
    if (!h || !*h) return kAsnBadDecodeHandle;
    delete *h;
    *h = nullptr;
    return kSuccess;
}

}  // extern "C"
