// Fuzz target of the framework's DER decode handle: the input is a token;
// every sequence is walked in document order and every item read with
// every type, as the negotiation's token decoder would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "qxgss_services.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> copy(data, data + size);
    gssp_buffer_desc token{size, copy.empty() ? nullptr : copy.data()};
    gsspasn_decode_handle h = nullptr;
    if (gsspasn_open_decode_handle(&h, &token) != QXGSS_MINOR_SUCCESS) return 0;
    gsspasn_set_decode_tagging(h, 0);
    gsspasn_sequence_t top = nullptr;
    int found = 0;
    const std::uint32_t topTag = size ? (data[0] & 1u) : 0u;
    std::vector<gsspasn_sequence_t> sequences;
    if (gsspasn_get_top_decode_sequence(h, topTag, &top, &found) == QXGSS_MINOR_SUCCESS && top) {
        sequences.push_back(top);
        for (int i = 0; i < 64; ++i) {
            gsspasn_sequence_t next = nullptr;
            if (gsspasn_get_decode_sequence(h, 0, &next, &found) != QXGSS_MINOR_SUCCESS || !next) break;
            sequences.push_back(next);
        }
    }
    for (gsspasn_sequence_t seq : sequences) {
        for (std::uint32_t tag = 0; tag < 8; ++tag) {
            std::uint32_t value = 0;
            gsspasn_get_decode_item(seq, tag, GSSPASN_TYPE_INTEGER, &value);
            gssp_buffer_desc buffer{};
            if (gsspasn_get_decode_item(seq, tag, GSSPASN_TYPE_BUFFER, &buffer) == QXGSS_MINOR_SUCCESS) {
                gssp_release_buffer(nullptr, &buffer);
            }
            gssp_OID_desc oid{};
            if (gsspasn_get_decode_item(seq, tag, GSSPASN_TYPE_OID, &oid) == QXGSS_MINOR_SUCCESS) std::free(oid.elements);
        }
    }
    gsspasn_close_decode_handle(&h);
    return 0;
}
