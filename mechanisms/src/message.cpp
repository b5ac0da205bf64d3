// Per-message services over the context key.
//   wrap token: "QXTW", confidentiality byte (0 or 1), 8-byte integrity
//               value, the message (under the keystream when confidential)
//   MIC token:  "QXTM", 8-byte integrity value
// The integrity value covers the sender's side, so a context never accepts
// its own tokens, only its peer's.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "digest.hpp"
#include "entry_points.hpp"
#include "handles.hpp"

namespace qxtest {
namespace {

constexpr std::size_t kMagicLength = 4;
constexpr std::size_t kWrapOverhead = kMagicLength + 1 + 8;
constexpr std::size_t kMicLength = kMagicLength + 8;

std::uint8_t Side(bool initiator) { return initiator ? 'I' : 'A'; }

std::uint64_t Integrity(const Context& c, bool senderIsInitiator, std::uint8_t kind, const void* bytes,
                        std::size_t length) {
    const std::uint64_t sideKey = KeyedDigest(c.key, Side(senderIsInitiator), &kind, 1);
    return KeyedDigest(sideKey, kind, bytes, length);
}

// The context for a per-message call: live, of this mechanism, complete.
gssp_status ReadyContext(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t handle, const Context** out) {
    const Context* c = FindContext(mech, handle);
    if (!c) return Done(minor, GSSP_S_NO_CONTEXT, QXTEST_MINOR_BAD_HANDLE);
    if (!c->complete) return Done(minor, GSSP_S_NO_CONTEXT, QXTEST_MINOR_NOT_READY);
    *out = c;
    return Ok(minor);
}

bool ReadableBuffer(const gssp_buffer_desc* b) { return b && (b->length == 0 || b->value) && b->length < 0x40000000u; }

void Clear(gssp_buffer_t b) {
    b->length = 0;
    b->value = nullptr;
}

}  // namespace

gssp_status WrapSizeLimit(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t context, int /*conf_req*/,
                          uint32_t /*qop_req*/, uint32_t req_output_size, uint32_t* max_input_size) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_WRAP_SIZE_LIMIT, minor, &major)) return major;
    if (!max_input_size) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    *max_input_size = 0;
    const Context* c = nullptr;
    major = ReadyContext(mech, minor, context, &c);
    if (GSSP_ERROR(major)) return major;
    *max_input_size = req_output_size > kWrapOverhead ? req_output_size - static_cast<uint32_t>(kWrapOverhead) : 0;
    return Ok(minor);
}

gssp_status Wrap(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t context, int conf_req, uint32_t /*qop_req*/,
                 gssp_buffer_t input, int* conf_state, gssp_buffer_t output) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_WRAP, minor, &major)) return major;
    if (conf_state) *conf_state = 0;
    if (!output) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    Clear(output);
    const Context* c = nullptr;
    major = ReadyContext(mech, minor, context, &c);
    if (GSSP_ERROR(major)) return major;
    if (!ReadableBuffer(input)) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ, QXTEST_MINOR_BAD_ARGUMENT);

    const std::size_t length = static_cast<std::size_t>(input->length);
    auto* out = static_cast<unsigned char*>(std::malloc(kWrapOverhead + length));
    if (!out) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    const bool conf = conf_req != 0;
    const std::uint64_t mac = Integrity(*c, c->initiator, conf ? 'W' : 'w', input->value, length);
    std::memcpy(out, "QXTW", kMagicLength);
    out[kMagicLength] = conf ? 1 : 0;
    PutU64(out + kMagicLength + 1, mac);
    if (length) std::memcpy(out + kWrapOverhead, input->value, length);
    if (conf) ApplyKeystream(c->key, mac, out + kWrapOverhead, length);
    output->value = out;
    output->length = kWrapOverhead + length;
    if (conf_state) *conf_state = conf ? 1 : 0;
    return Ok(minor);
}

gssp_status Unwrap(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t input,
                   gssp_buffer_t output, int* conf_state, uint32_t* qop_state) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_UNWRAP, minor, &major)) return major;
    if (conf_state) *conf_state = 0;
    if (qop_state) *qop_state = 0;
    if (!output) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    Clear(output);
    const Context* c = nullptr;
    major = ReadyContext(mech, minor, context, &c);
    if (GSSP_ERROR(major)) return major;
    if (!ReadableBuffer(input)) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ, QXTEST_MINOR_BAD_ARGUMENT);
    const auto* in = static_cast<const unsigned char*>(input->value);
    const std::size_t total = static_cast<std::size_t>(input->length);
    if (total < kWrapOverhead || std::memcmp(in, "QXTW", kMagicLength) != 0 || in[kMagicLength] > 1) {
        return Done(minor, kDefectiveToken, QXTEST_MINOR_BAD_TOKEN);
    }
    const bool conf = in[kMagicLength] == 1;
    const std::uint64_t mac = GetU64(in + kMagicLength + 1);
    const std::size_t length = total - kWrapOverhead;
    std::vector<unsigned char> message(in + kWrapOverhead, in + total);
    if (conf) ApplyKeystream(c->key, mac, message.data(), length);
    if (Integrity(*c, !c->initiator, conf ? 'W' : 'w', message.data(), length) != mac) {
        return Done(minor, kBadSig, QXTEST_MINOR_INTEGRITY);
    }
    if (length) {
        output->value = std::malloc(length);
        if (!output->value) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
        std::memcpy(output->value, message.data(), length);
        output->length = length;
    }
    if (conf_state) *conf_state = conf ? 1 : 0;
    return Ok(minor);
}

gssp_status GetMic(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t context, uint32_t /*qop_req*/,
                   gssp_buffer_t message, gssp_buffer_t token) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_GET_MIC, minor, &major)) return major;
    if (!token) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    Clear(token);
    const Context* c = nullptr;
    major = ReadyContext(mech, minor, context, &c);
    if (GSSP_ERROR(major)) return major;
    if (!ReadableBuffer(message)) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ, QXTEST_MINOR_BAD_ARGUMENT);
    auto* out = static_cast<unsigned char*>(std::malloc(kMicLength));
    if (!out) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    std::memcpy(out, "QXTM", kMagicLength);
    PutU64(out + kMagicLength, Integrity(*c, c->initiator, 'M', message->value, static_cast<std::size_t>(message->length)));
    token->value = out;
    token->length = kMicLength;
    return Ok(minor);
}

gssp_status VerifyMic(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t context, gssp_buffer_t message,
                      gssp_buffer_t token, uint32_t* qop_state) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_VERIFY_MIC, minor, &major)) return major;
    if (qop_state) *qop_state = 0;
    const Context* c = nullptr;
    major = ReadyContext(mech, minor, context, &c);
    if (GSSP_ERROR(major)) return major;
    if (!ReadableBuffer(message) || !ReadableBuffer(token)) {
        return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ, QXTEST_MINOR_BAD_ARGUMENT);
    }
    const auto* t = static_cast<const unsigned char*>(token->value);
    if (token->length != kMicLength || std::memcmp(t, "QXTM", kMagicLength) != 0) {
        return Done(minor, kDefectiveToken, QXTEST_MINOR_BAD_TOKEN);
    }
    const std::uint64_t expected =
        Integrity(*c, !c->initiator, 'M', message->value, static_cast<std::size_t>(message->length));
    if (GetU64(t + kMagicLength) != expected) return Done(minor, kBadSig, QXTEST_MINOR_INTEGRITY);
    return Ok(minor);
}

}  // namespace qxtest
