// Reads a negotiation token back field by field through the framework's
// decoder, recording which optional fields are present, so that tests can
// check the structure of what the mechanism sent.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "qxgss_services.h"

struct NegMechView {
    std::string oid;  // DER content bytes
    uint32_t state = 0;
    std::optional<uint32_t> reason, major, minor;
    std::optional<std::string> status_text, token, authentication_id;
};

struct TokenView {
    bool ok = false;
    bool init = false;  // NegTokenInit, else NegTokenResp
    std::vector<NegMechView> mechs;
    uint32_t neg_state = 0;
    std::optional<std::string> authentication_id, user, profile, selected;
    std::optional<uint32_t> sso, policy_applied;
};

namespace token_reader {

inline std::optional<uint32_t> Integer(gsspasn_sequence_t s, uint32_t tag) {
    uint32_t v = 0;
    if (gsspasn_get_decode_item(s, tag, GSSPASN_TYPE_INTEGER, &v) != QXGSS_MINOR_SUCCESS) return std::nullopt;
    return v;
}

inline std::optional<std::string> Bytes(gsspasn_sequence_t s, uint32_t tag) {
    gssp_buffer_desc b = {0, nullptr};
    if (gsspasn_get_decode_item(s, tag, GSSPASN_TYPE_BUFFER, &b) != QXGSS_MINOR_SUCCESS) return std::nullopt;
    std::string out((const char*)b.value, b.length);
    gssp_release_buffer(nullptr, &b);
    return out;
}

inline std::optional<std::string> Oid(gsspasn_sequence_t s, uint32_t tag) {
    gssp_OID_desc o = {0, nullptr};
    if (gsspasn_get_decode_item(s, tag, GSSPASN_TYPE_OID, &o) != QXGSS_MINOR_SUCCESS) return std::nullopt;
    std::string out((const char*)o.elements, o.length);
    std::free(o.elements);
    return out;
}

}  // namespace token_reader

inline TokenView ReadToken(const gssp_buffer_desc& token) {
    using namespace token_reader;
    TokenView v;
    gsspasn_decode_handle h = nullptr;
    if (gsspasn_open_decode_handle(&h, &token) != QXGSS_MINOR_SUCCESS) return v;
    gsspasn_set_decode_tagging(h, 0);
    gsspasn_sequence_t top = nullptr, list = nullptr;
    int found = 0;
    // The outermost element is [0] (0xA0) for a NegTokenInit, [1] for a
    // NegTokenResp; the decoder opens it only once.
    v.init = token.length > 0 && ((const unsigned char*)token.value)[0] == 0xA0;
    if (gsspasn_get_top_decode_sequence(h, v.init ? 0 : 1, &top, &found) != QXGSS_MINOR_SUCCESS || found == 0) {
        gsspasn_close_decode_handle(&h);
        return v;
    }
    int count = 0;
    if (gsspasn_get_decode_sequence(h, 0, &list, &count) == QXGSS_MINOR_SUCCESS) {
        for (int k = 0; k < count; ++k) {
            gsspasn_sequence_t s = nullptr;
            int n = 0;
            if (gsspasn_get_decode_sequence(h, 0, &s, &n) != QXGSS_MINOR_SUCCESS || n == 0) break;
            NegMechView m;
            m.oid = Oid(s, 0).value_or("");
            m.state = Integer(s, 1).value_or(0);
            m.reason = Integer(s, 2);
            m.major = Integer(s, 3);
            m.minor = Integer(s, 4);
            m.status_text = Bytes(s, 5);
            m.token = Bytes(s, 6);
            m.authentication_id = Bytes(s, 7);
            v.mechs.push_back(m);
        }
    }
    v.neg_state = Integer(top, 1).value_or(0);
    if (v.init) {
        v.authentication_id = Bytes(top, 2);
        v.sso = Integer(top, 3);
        v.user = Bytes(top, 4);
        v.profile = Bytes(top, 5);
    } else {
        v.selected = Oid(top, 2);
        v.policy_applied = Integer(top, 3);
    }
    v.ok = true;
    gsspasn_close_decode_handle(&h);
    return v;
}
