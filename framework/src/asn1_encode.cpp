// The ASN.1 encode handle: nested context-tagged sequences and items,
// written as DER.
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "der.hpp"
#include "memory.hpp"
#include "status.hpp"

using namespace qxgss;

struct gsspasn_encoder {
    struct Frame {
        std::uint32_t tag;
        std::vector<unsigned char> content;
    };
    std::vector<Frame> open;
    std::vector<unsigned char> output;
    bool failed = false;

    std::vector<unsigned char>& Current() { return open.empty() ? output : open.back().content; }
};

namespace {

void PutElement(std::vector<unsigned char>& out, bool constructed, std::uint32_t tag, const unsigned char* content,
                std::size_t length) {
    der::PutIdentifier(out, constructed, tag);
    der::PutLength(out, length);
    if (length) out.insert(out.end(), content, content + length);
}

}  // namespace

extern "C" {

QXGSS_API uint32_t gsspasn_open_encode_handle(gsspasn_encode_handle* h) {
    if (!h) return kBadArgument;
    *h = new (std::nothrow) gsspasn_encoder();
    return *h ? kSuccess : kNoMemory;
}

QXGSS_API uint32_t gsspasn_set_encode_tagging(gsspasn_encode_handle h, uint32_t tagging) {
    if (!h) return kAsnBadEncodeHandle;
    return tagging == 0 ? kSuccess : kBadArgument;
}

QXGSS_API uint32_t gsspasn_start_encode_sequence(gsspasn_encode_handle h, uint32_t tag) {
    if (!h) return kAsnBadEncodeHandle;
    try {
        h->open.push_back({tag, {}});
    } catch (const std::bad_alloc&) {
        h->failed = true;
        return kNoMemory;
    }
    return kSuccess;
}

QXGSS_API uint32_t gsspasn_stop_encode_sequence(gsspasn_encode_handle h, uint32_t tag) {
    if (!h) return kAsnBadEncodeHandle;
    if (h->open.empty() || h->open.back().tag != tag) {
        h->failed = true;
        return kAsnSequenceMismatch;
    }
    try {
        gsspasn_encoder::Frame frame = std::move(h->open.back());
        h->open.pop_back();
        PutElement(h->Current(), true, frame.tag, frame.content.data(), frame.content.size());
    } catch (const std::bad_alloc&) {
        h->failed = true;
        return kNoMemory;
    }
    return kSuccess;
}

QXGSS_API uint32_t gsspasn_put_encode_item(gsspasn_encode_handle h, uint32_t tag, uint32_t type, const void* value) {
    if (!h) return kAsnBadEncodeHandle;
    if (!value) return kBadArgument;
    try {
        switch (type) {
            case GSSPASN_TYPE_INTEGER: {
                const auto content = der::IntegerContents(*static_cast<const uint32_t*>(value));
                PutElement(h->Current(), false, tag, content.data(), content.size());
                break;
            }
            case GSSPASN_TYPE_BUFFER: {
                const auto* b = static_cast<const gssp_buffer_desc*>(value);
                if ((b->length && !b->value) || b->length > 0xFFFFFFFFu) return kBadArgument;
                PutElement(h->Current(), false, tag, static_cast<const unsigned char*>(b->value),
                           static_cast<std::size_t>(b->length));
                break;
            }
            case GSSPASN_TYPE_OID: {
                const auto* o = static_cast<const gssp_OID_desc*>(value);
                if (o->length && !o->elements) return kBadArgument;
                PutElement(h->Current(), false, tag, static_cast<const unsigned char*>(o->elements), o->length);
                break;
            }
            default:
                return kAsnBadType;
        }
    } catch (const std::bad_alloc&) {
        h->failed = true;
        return kNoMemory;
    }
    return kSuccess;
}

QXGSS_API uint32_t gsspasn_close_encode_handle(gsspasn_encode_handle* h, gssp_buffer_t encoding) {
    if (!h || !*h) return kAsnBadEncodeHandle;
    gsspasn_encoder* e = *h;
    *h = nullptr;
    uint32_t status = kSuccess;
    if (encoding) {
        encoding->length = 0;
        encoding->value = nullptr;
        if (e->failed || !e->open.empty() || e->output.empty()) {
            status = kAsnSequenceMismatch;
        } else {
            encoding->value = Malloc(e->output.size());
            if (!encoding->value) {
                status = kNoMemory;
            } else {
                std::memcpy(encoding->value, e->output.data(), e->output.size());
                encoding->length = e->output.size();
            }
        }
    }
    delete e;
    return status;
}

}  // extern "C"
