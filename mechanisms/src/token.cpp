#include "token.hpp"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "qxtest/qxtest.h"

namespace qxtest {
namespace {

const char* KindText(TokenKind kind) { return kind == TokenKind::kInit ? "INIT" : "ACCEPT"; }

std::string Hex(std::uint64_t v) {
    static const char digits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, v >>= 4) out[static_cast<std::size_t>(i)] = digits[v & 15];
    return out;
}

bool ParseHex(const std::string& text, std::uint64_t* v) {
    if (text.size() != 16) return false;
    *v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return false;
        *v = *v << 4 | static_cast<std::uint64_t>(d);
    }
    return true;
}

bool ParseLeg(const std::string& text, std::uint32_t* leg) {
    if (text.empty() || text.size() > 9 || text[0] == '0') return false;
    *leg = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        *leg = *leg * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return true;
}

// The first `count - 1` fields split at ':' and the rest as the last field.
bool Split(const std::string& text, std::size_t count, std::vector<std::string>* fields) {
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const std::size_t colon = text.find(':', start);
        if (colon == std::string::npos) return false;
        fields->push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    fields->push_back(text.substr(start));
    return true;
}

}  // namespace

std::string EncodeToken(const char* prefix, const ContextToken& token) {
    std::string out = std::string("QXT:") + prefix + ":" + KindText(token.kind) + ":" + std::to_string(token.leg) +
                      ":" + (token.senderDone ? "D" : "C") + ":" + Hex(token.clientNonce) + ":";
    out += token.kind == TokenKind::kInit ? token.identity : Hex(token.serverNonce);
    return out;
}

gssp_status DecodeToken(const char* prefix, TokenKind kind, const gssp_buffer_desc* input, ContextToken* token) {
    if (!input || !input->length || !input->value || input->length > 0x10000) return QXTEST_MINOR_BAD_TOKEN;
    const std::string text(static_cast<const char*>(input->value), static_cast<std::size_t>(input->length));
    std::vector<std::string> f;
    if (!Split(text, 7, &f) || f[0] != "QXT") return QXTEST_MINOR_BAD_TOKEN;
    if (f[1] != prefix) return QXTEST_MINOR_OTHER_MECH;
    if (f[2] != "INIT" && f[2] != "ACCEPT") return QXTEST_MINOR_BAD_TOKEN;
    if (f[2] != KindText(kind)) return QXTEST_MINOR_WRONG_LEG;
    token->kind = kind;
    if (!ParseLeg(f[3], &token->leg)) return QXTEST_MINOR_BAD_TOKEN;
    if (f[4] != "C" && f[4] != "D") return QXTEST_MINOR_BAD_TOKEN;
    token->senderDone = f[4] == "D";
    if (!ParseHex(f[5], &token->clientNonce)) return QXTEST_MINOR_BAD_TOKEN;
    if (kind == TokenKind::kInit) {
        token->identity = f[6];
        if (token->identity.find('\0') != std::string::npos) return QXTEST_MINOR_BAD_TOKEN;
    } else if (!ParseHex(f[6], &token->serverNonce)) {
        return QXTEST_MINOR_BAD_TOKEN;
    }
    return QXTEST_MINOR_SUCCESS;
}

bool PutBuffer(const std::string& bytes, gssp_buffer_t out) {
    out->length = 0;
    out->value = nullptr;
    if (bytes.empty()) return true;
    out->value = std::malloc(bytes.size());
    if (!out->value) return false;
    std::memcpy(out->value, bytes.data(), bytes.size());
    out->length = bytes.size();
    return true;
}

}  // namespace qxtest
