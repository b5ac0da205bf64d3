#include "oid.hpp"

#include <cstdlib>
#include <cstring>

#include "der.hpp"
#include "memory.hpp"
#include "status.hpp"

namespace qxgss {

using der::PutBase128;

std::optional<std::vector<unsigned char>> DottedToDer(const std::string& dotted) {
    std::vector<std::uint64_t> arcs;
    std::size_t i = 0;
    while (i <= dotted.size()) {
        std::size_t j = dotted.find('.', i);
        if (j == std::string::npos) j = dotted.size();
        if (j == i || j - i > 10) return std::nullopt;
        std::uint64_t v = 0;
        for (std::size_t k = i; k < j; ++k) {
            if (dotted[k] < '0' || dotted[k] > '9') return std::nullopt;
            v = v * 10 + static_cast<unsigned>(dotted[k] - '0');
        }
        if (v > 0xFFFFFFFFu) return std::nullopt;
        arcs.push_back(v);
        i = j + 1;
    }
    if (arcs.size() < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] >= 40)) return std::nullopt;
    std::vector<unsigned char> out;
    PutBase128(out, arcs[0] * 40 + arcs[1]);
    for (std::size_t k = 2; k < arcs.size(); ++k) PutBase128(out, arcs[k]);
    return out;
}

std::optional<std::string> DerToDotted(const unsigned char* bytes, std::size_t length) {
    if (!bytes || length == 0) return std::nullopt;
    std::string out;
    std::uint64_t v = 0;
    bool first = true;
    bool inArc = false;
    for (std::size_t i = 0; i < length; ++i) {
        if (!inArc && bytes[i] == 0x80) return std::nullopt;  // non-minimal arc
        if (v > (0xFFFFFFFFFFull >> 7)) return std::nullopt;
        v = (v << 7) | (bytes[i] & 0x7F);
        inArc = (bytes[i] & 0x80) != 0;
        if (inArc) continue;
        if (first) {
            const std::uint64_t a = v < 80 ? v / 40 : 2;
            out = std::to_string(a) + "." + std::to_string(v - a * 40);
            first = false;
        } else {
            if (v > 0xFFFFFFFFu) return std::nullopt;
            out += "." + std::to_string(v);
        }
        v = 0;
    }
    if (inArc) return std::nullopt;
    return out;
}

bool SameOid(const gssp_OID_desc* a, const gssp_OID_desc* b) {
    if (!a || !b) return a == b;
    if (a->length != b->length) return false;
    if (a->length == 0) return true;
    if (!a->elements || !b->elements) return false;
    return std::memcmp(a->elements, b->elements, a->length) == 0;
}

OwnedOid::OwnedOid(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {
    desc_.length = static_cast<std::uint32_t>(bytes_.size());
    desc_.elements = bytes_.empty() ? nullptr : bytes_.data();
}

}  // namespace qxgss

using namespace qxgss;

extern "C" {

QXGSS_API gssp_status gssp_compare_oids(gssp_status* minor, const gssp_OID_desc* a, const gssp_OID_desc* b,
                                        int* result) {
    if (!a || !b || !result) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *result = SameOid(a, b) ? 0 : 1;
    return Ok(minor);
}

QXGSS_API gssp_status gssp_oidstr_to_oidder(gssp_status* minor, uint32_t, uint32_t, const char* dotted,
                                            uint32_t* length, unsigned char** der) {
    if (!dotted || !length || !der) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *length = 0;
    *der = nullptr;
    const auto contents = DottedToDer(dotted);
    if (!contents) return Fail(minor, kBadOid);
    // The whole DER encoding: the OBJECT IDENTIFIER tag, the length, the contents.
    std::vector<unsigned char> encoding{0x06};
    der::PutLength(encoding, contents->size());
    encoding.insert(encoding.end(), contents->begin(), contents->end());
    unsigned char* copy = static_cast<unsigned char*>(Malloc(encoding.size()));
    if (!copy) return Fail(minor, kNoMemory);
    std::memcpy(copy, encoding.data(), encoding.size());
    *der = copy;
    *length = static_cast<uint32_t>(encoding.size());
    return Ok(minor);
}

}  // extern "C"
