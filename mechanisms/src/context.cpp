// Context establishment: init and accept count their legs as scripted,
// check every token they read and derive the context key on completion.
#include <atomic>
#include <cstring>
#include <new>

#include "digest.hpp"
#include "entry_points.hpp"
#include "handles.hpp"
#include "token.hpp"

namespace qxtest {
namespace {

// Nonces are deterministic: a process-wide counter under the prefix and side.
std::uint64_t NextNonce(const Mechanism& mech, std::uint8_t side) {
    static std::atomic<std::uint64_t> counter{0};
    const std::uint64_t n = ++counter;
    return KeyedDigest(n, side, mech.prefix, std::strlen(mech.prefix));
}

// The key both sides reach: the prefix, the initiator's nonce and, when the
// initiator saw it, the acceptor's.
std::uint64_t DeriveKey(const Context& c) {
    unsigned char material[17];
    PutU64(material, c.clientNonce);
    PutU64(material + 8, c.serverNonceShared ? c.serverNonce : 0);
    material[16] = c.serverNonceShared ? 1 : 0;
    const std::uint64_t prefixKey = KeyedDigest(0, 'P', c.mech->prefix, std::strlen(c.mech->prefix));
    return KeyedDigest(prefixKey, 'K', material, sizeof material);
}

bool FailsAt(const qxtest_failure& f, std::uint32_t leg) { return f.major != 0 && f.leg == leg; }

// A failed call: a context made by this call goes again; an older one stays
// in the handle for the caller to delete.
gssp_status Fail(gssp_status* minor, gssp_status major, gssp_status code, Context* c, bool fresh,
                 gssp_ctx_id_t* handle) {
    if (fresh) {
        DestroyContext(c);
        *handle = nullptr;
    }
    return Done(minor, major, code);
}

// The credential handle checked against the side's usage (null: the default).
gssp_status CheckCredential(const Mechanism& mech, gssp_status* minor, gssp_cred_id_t handle, int side) {
    if (!handle) return Ok(minor);
    const Credential* cred = FindCredential(mech, handle);
    if (!cred) return Done(minor, GSSP_S_NO_CRED, QXTEST_MINOR_BAD_HANDLE);
    if (cred->usage != GSSP_C_BOTH && cred->usage != side) return Done(minor, GSSP_S_NO_CRED, QXTEST_MINOR_WRONG_USAGE);
    return Ok(minor);
}

// The existing context in the handle, or a new one (fresh) on a first call.
gssp_status OpenContext(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t* handle, bool initiator,
                        Context** out, bool* fresh) {
    *fresh = false;
    if (*handle) {
        Context* c = FindContext(mech, *handle);
        if (!c || c->initiator != initiator) return Done(minor, GSSP_S_NO_CONTEXT, QXTEST_MINOR_BAD_HANDLE);
        if (c->complete) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_ALREADY_COMPLETE);
        *out = c;
        return Ok(minor);
    }
    Context* c = new (std::nothrow) Context;
    if (!c) return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    c->mech = &mech;
    c->initiator = initiator;
    if (!RegisterContext(c)) {
        delete c;
        return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    }
    if (initiator) c->clientNonce = NextNonce(mech, 'I');
    else c->serverNonce = NextNonce(mech, 'A');
    *handle = c;
    *out = c;
    *fresh = true;
    return Ok(minor);
}

// The initiator's identity: its credential's name, else the scripted one.
std::string ClientIdentity(const Mechanism& mech, gssp_cred_id_t handle, const Script& script) {
    const Credential* cred = handle ? FindCredential(mech, handle) : nullptr;
    if (cred && cred->name && cred->name->text.value) {
        return std::string(static_cast<const char*>(cred->name->text.value),
                           static_cast<std::size_t>(cred->name->text.length));
    }
    return !cred && script.hasIdentity ? script.identity : std::string();
}

gssp_status Finish(gssp_status* minor, bool complete) {
    return complete ? Ok(minor) : Done(minor, GSSP_S_CONTINUE_NEEDED, QXTEST_MINOR_CONTINUE);
}

}  // namespace

gssp_status InitSecContext(const Mechanism& mech, gssp_status* minor, gssp_cred_id_t claimant_cred,
                           gssp_ctx_id_t* context, gssp_name_t target_name, gssp_OID mech_type, uint32_t req_flags,
                           uint32_t /*time_req*/, gssp_channel_bindings_t /*bindings*/, gssp_buffer_t input_token,
                           gssp_OID* actual_mech_type, gssp_buffer_t output_token, uint32_t* ret_flags,
                           uint32_t* time_rec) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_INIT_SEC_CONTEXT, minor, &major)) return major;
    const gssp_OID oid = MechanismOid(mech);
    if (actual_mech_type) *actual_mech_type = oid;
    if (ret_flags) *ret_flags = 0;
    if (time_rec) *time_rec = 0;
    if (!output_token || !context) {
        return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    }
    output_token->length = 0;
    output_token->value = nullptr;
    int different = 0;
    if (mech_type && (!oid || gssp_compare_oids(nullptr, mech_type, oid, &different) != GSSP_S_COMPLETE || different)) {
        return Done(minor, GSSP_S_BAD_MECH, QXTEST_MINOR_BAD_MECH);
    }
    major = CheckCredential(mech, minor, claimant_cred, GSSP_C_INITIATE);
    if (GSSP_ERROR(major)) return major;

    const Script script = CurrentScript(mech);
    Context* c = nullptr;
    bool fresh = false;
    major = OpenContext(mech, minor, context, true, &c, &fresh);
    if (GSSP_ERROR(major)) return major;
    const std::uint32_t leg = c->calls + 1;
    if (FailsAt(script.initFailure, leg)) {
        return Fail(minor, script.initFailure.major, script.initFailure.minor, c, fresh, context);
    }

    bool peerDone = false;
    if (leg > 1) {
        ContextToken in;
        const gssp_status code = DecodeToken(mech.prefix, TokenKind::kAccept, input_token, &in);
        if (code != QXTEST_MINOR_SUCCESS) return Fail(minor, kDefectiveToken, code, c, fresh, context);
        if (in.leg != leg - 1) return Fail(minor, kDefectiveToken, QXTEST_MINOR_WRONG_LEG, c, fresh, context);
        if (in.clientNonce != c->clientNonce || (c->serverNonceShared && in.serverNonce != c->serverNonce)) {
            return Fail(minor, kDefectiveToken, QXTEST_MINOR_WRONG_NONCE, c, fresh, context);
        }
        c->serverNonce = in.serverNonce;
        c->serverNonceShared = true;
        peerDone = in.senderDone;
    }

    const bool complete = leg >= script.initLegs;
    if (!(complete && peerDone)) {
        ContextToken out;
        out.kind = TokenKind::kInit;
        out.leg = leg;
        out.senderDone = complete;
        out.clientNonce = c->clientNonce;
        if (leg == 1) out.identity = c->clientName = ClientIdentity(mech, claimant_cred, script);
        if (!PutBuffer(EncodeToken(mech.prefix, out), output_token)) {
            return Fail(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY, c, fresh, context);
        }
    }
    if (fresh && target_name && gssp_duplicate_name(nullptr, target_name, &c->targetName) != GSSP_S_COMPLETE) {
        gssp_release_buffer(nullptr, output_token);
        return Fail(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY, c, fresh, context);
    }
    c->calls = leg;
    c->flags = req_flags;
    if (complete) {
        c->complete = true;
        c->key = DeriveKey(*c);
    }
    if (ret_flags) *ret_flags = req_flags;
    if (time_rec) *time_rec = GSSP_C_INDEFINITE;
    return Finish(minor, complete);
}

gssp_status AcceptSecContext(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t* context,
                             gssp_cred_id_t acceptor_cred, gssp_buffer_t input_token,
                             gssp_channel_bindings_t /*bindings*/, gssp_name_t* src_name, gssp_OID* mech_type,
                             gssp_buffer_t output_token, uint32_t* ret_flags, uint32_t* time_rec,
                             gssp_cred_id_t* delegated_cred) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_ACCEPT_SEC_CONTEXT, minor, &major)) return major;
    if (src_name) *src_name = nullptr;
    if (mech_type) *mech_type = MechanismOid(mech);
    if (ret_flags) *ret_flags = 0;
    if (time_rec) *time_rec = 0;
    if (delegated_cred) *delegated_cred = nullptr;
    if (!output_token || !context) {
        return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE, QXTEST_MINOR_BAD_ARGUMENT);
    }
    output_token->length = 0;
    output_token->value = nullptr;
    major = CheckCredential(mech, minor, acceptor_cred, GSSP_C_ACCEPT);
    if (GSSP_ERROR(major)) return major;

    const Script script = CurrentScript(mech);
    Context* c = nullptr;
    bool fresh = false;
    major = OpenContext(mech, minor, context, false, &c, &fresh);
    if (GSSP_ERROR(major)) return major;
    const std::uint32_t leg = c->calls + 1;
    if (FailsAt(script.acceptFailure, leg)) {
        return Fail(minor, script.acceptFailure.major, script.acceptFailure.minor, c, fresh, context);
    }

    ContextToken in;
    const gssp_status code = DecodeToken(mech.prefix, TokenKind::kInit, input_token, &in);
    if (code != QXTEST_MINOR_SUCCESS) return Fail(minor, kDefectiveToken, code, c, fresh, context);
    if (in.leg != leg) return Fail(minor, kDefectiveToken, QXTEST_MINOR_WRONG_LEG, c, fresh, context);
    if (leg > 1 && in.clientNonce != c->clientNonce) {
        return Fail(minor, kDefectiveToken, QXTEST_MINOR_WRONG_NONCE, c, fresh, context);
    }

    if (leg == 1) {
        c->clientNonce = in.clientNonce;
        c->clientName = in.identity;
    }

    const bool complete = leg >= script.acceptLegs;
    const bool reply = !(complete && in.senderDone);
    if (reply) {
        ContextToken out;
        out.kind = TokenKind::kAccept;
        out.leg = leg;
        out.senderDone = complete;
        out.clientNonce = in.clientNonce;
        out.serverNonce = c->serverNonce;
        if (!PutBuffer(EncodeToken(mech.prefix, out), output_token)) {
            return Fail(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY, c, fresh, context);
        }
    }
    if (complete && src_name && !c->clientName.empty()) {
        major = MakeUtf8Name(minor, c->clientName, src_name);
        if (GSSP_ERROR(major)) {
            gssp_release_buffer(nullptr, output_token);
            return Fail(minor, major, QXTEST_MINOR_NO_MEMORY, c, fresh, context);
        }
    }
    if (reply) c->serverNonceShared = true;
    c->calls = leg;
    if (complete) {
        c->complete = true;
        c->key = DeriveKey(*c);
    }
    if (time_rec) *time_rec = GSSP_C_INDEFINITE;
    return Finish(minor, complete);
}

gssp_status DeleteSecContext(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t* context,
                             gssp_buffer_t output_token) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_DELETE_SEC_CONTEXT, minor, &major)) return major;
    if (output_token) {
        output_token->length = 0;
        output_token->value = nullptr;
    }
    if (!context) return Done(minor, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ, QXTEST_MINOR_BAD_ARGUMENT);
    Context* c = FindContext(mech, *context);
    if (!c) return Done(minor, GSSP_S_NO_CONTEXT, QXTEST_MINOR_BAD_HANDLE);
    DestroyContext(c);
    *context = nullptr;
    return Ok(minor);
}

gssp_status InquireContext(const Mechanism& mech, gssp_status* minor, gssp_ctx_id_t context, gssp_name_t* src_name,
                           gssp_name_t* targ_name, uint32_t* lifetime_rec, gssp_OID* mech_type, uint32_t* ctx_flags,
                           int* locally_initiated, int* open) {
    gssp_status major = 0;
    if (Absent(mech, QXTEST_OP_INQUIRE_CONTEXT, minor, &major)) return major;
    if (src_name) *src_name = nullptr;
    if (targ_name) *targ_name = nullptr;
    if (lifetime_rec) *lifetime_rec = 0;
    if (mech_type) *mech_type = nullptr;
    if (ctx_flags) *ctx_flags = 0;
    if (locally_initiated) *locally_initiated = 0;
    if (open) *open = 0;
    const Context* c = FindContext(mech, context);
    if (!c) return Done(minor, GSSP_S_NO_CONTEXT, QXTEST_MINOR_BAD_HANDLE);
    if (src_name && !c->clientName.empty()) {
        major = MakeUtf8Name(minor, c->clientName, src_name);
        if (GSSP_ERROR(major)) return major;
    }
    if (targ_name && c->targetName && gssp_duplicate_name(nullptr, c->targetName, targ_name) != GSSP_S_COMPLETE) {
        if (src_name) gssp_release_name(nullptr, src_name);
        return Done(minor, GSSP_S_FAILURE, QXTEST_MINOR_NO_MEMORY);
    }
    if (lifetime_rec) *lifetime_rec = c->complete ? GSSP_C_INDEFINITE : 0;
    if (mech_type) *mech_type = MechanismOid(mech);
    if (ctx_flags) *ctx_flags = c->flags;
    if (locally_initiated) *locally_initiated = c->initiator ? 1 : 0;
    if (open) *open = c->complete ? 1 : 0;
    return Ok(minor);
}

}  // namespace qxtest
