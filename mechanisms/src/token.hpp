// The context tokens of the test mechanism: readable text, one per leg.
//   initiator: QXT:<prefix>:INIT:<leg>:<C|D>:<client nonce>:<client identity>
//   acceptor:  QXT:<prefix>:ACCEPT:<leg>:<C|D>:<client nonce>:<server nonce>
// C: the sender continues; D: the sender is done. Nonces are 16 hex digits;
// the identity is the rest of the token (possibly empty).
#pragma once

#include <cstdint>
#include <string>

#include "qxgss_services.h"

namespace qxtest {

enum class TokenKind { kInit, kAccept };

struct ContextToken {
    TokenKind kind = TokenKind::kInit;
    std::uint32_t leg = 0;
    bool senderDone = false;
    std::uint64_t clientNonce = 0;
    std::uint64_t serverNonce = 0;  // acceptor tokens
    std::string identity;           // initiator tokens
};

std::string EncodeToken(const char* prefix, const ContextToken& token);

// Reads `input` as a token of `kind` for mechanism `prefix`; on failure
// returns the mechanism's minor code (QXTEST_MINOR_BAD_TOKEN,
// QXTEST_MINOR_OTHER_MECH or QXTEST_MINOR_WRONG_LEG), on success
// QXTEST_MINOR_SUCCESS.
gssp_status DecodeToken(const char* prefix, TokenKind kind, const gssp_buffer_desc* input, ContextToken* token);

// A malloc'ed copy of `bytes` in *out; false when memory ran out.
bool PutBuffer(const std::string& bytes, gssp_buffer_t out);

}  // namespace qxtest
