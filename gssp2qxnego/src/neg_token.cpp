// The negotiation tokens: NegTokenInit (the client's first token) and
// NegTokenResp (every later one), each with its list of NegMech reports,
// written and read through the framework's ASN.1 handles in tagging mode 0.
//
//   NegTokenInit  [0] { [0] NegMechs, [1] NegState, [2] authentication ID
//                       (no SSO) | [3] 1 (SSO), [4] user?, [5] profile? }
//   NegTokenResp  [1] { [0] NegMechs, [1] NegState, [2] selected OID
//                       (Completed), [3] IsPolicyApplied (when set) }
//   NegMech       [0] { [0] OID, [1] MechState, [2] MechReason (report flag),
//                       [3] major, [4] minor, [5] status text (a failure),
//                       [6] the mechanism's token?, [7] authentication ID? }
#include "neg_token.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "mechanism_status.h"
#include "neg_log.h"
#include "neg_mech_list.h"
#include "plugin_memory.h"
#include "status_result.h"

namespace {

const uint32_t kTagging = 0;
const uint32_t kSeqInit = 0;
const uint32_t kSeqResp = 1;
const uint32_t kSeqNegMech = 0;  // the NegMech list and each NegMech

// The status of a framework ASN.1 call as the operation's result.
gssp_status AsnFailure(gssp_status* minor, uint32_t status) {
    return qxnego_result(minor, status, GSSP_S_FAILURE);
}

bool Ok(uint32_t status) {
    return status == QXGSS_MINOR_SUCCESS;
}

bool HasBytes(const gssp_buffer_desc& b) {
    return b.length != 0 && b.value != nullptr;
}

bool UsableOid(const gssp_OID_desc* oid) {
    return oid != nullptr && oid->length != 0 && oid->elements != nullptr;
}

uint32_t PutInteger(gsspasn_encode_handle h, uint32_t tag, uint32_t value) {
    return gsspasn_put_encode_item(h, tag, GSSPASN_TYPE_INTEGER, &value);
}

uint32_t PutBuffer(gsspasn_encode_handle h, uint32_t tag, const gssp_buffer_desc& value) {
    return gsspasn_put_encode_item(h, tag, GSSPASN_TYPE_BUFFER, &value);
}

gssp_status Log(gssp_status* minor, const char* text, NegContext* context) {
    gssp_status m = 0;
    const gssp_status major = QXNEGO_INT_NegLogEntry(&m, text, nullptr, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Reads an optional buffer item; when present it replaces *field, whose old
// bytes go back to the framework. An absent item leaves *field alone.
uint32_t ReadOptionalBuffer(gsspasn_sequence_t seq, uint32_t tag, gssp_buffer_desc* field) {
    gssp_buffer_desc value = {0, nullptr};
    const uint32_t status = gsspasn_get_decode_item(seq, tag, GSSPASN_TYPE_BUFFER, &value);
    if (status == QXGSS_MINOR_ASN_ITEM_ABSENT) return QXGSS_MINOR_SUCCESS;
    if (!Ok(status)) return status;
    gssp_status m = 0;
    if (field->value != nullptr) gssp_release_buffer(&m, field);
    *field = value;
    return QXGSS_MINOR_SUCCESS;
}

// Reads a NegState value into a local and checks it; Reject is accepted
// only when the token kind allows it. The context is written by the caller.
gssp_status ReadPeerState(gssp_status* minor, gsspasn_sequence_t seq, bool reject_allowed, uint32_t* state) {
    const uint32_t status = gsspasn_get_decode_item(seq, 1, GSSPASN_TYPE_INTEGER, state);
    if (!Ok(status)) return AsnFailure(minor, status);
    if (*state == QXNEGO_NEG_STATE_REQUEST_MIC) return qxnego_result(minor, QXNEGO_E_UNSUPPORTED_NEG_STATE, GSSP_S_FAILURE);
    const bool valid = *state == QXNEGO_NEG_STATE_COMPLETED || *state == QXNEGO_NEG_STATE_INCOMPLETE ||
                       (reject_allowed && *state == QXNEGO_NEG_STATE_REJECT);
    if (!valid) return qxnego_result(minor, QXNEGO_E_BAD_NEG_STATE, GSSP_S_FAILURE);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Gives back what a decoded NegMech holds that QXNEGO_INT_ProcessNegMech
// has not taken over.
void ReleaseDecoded(NegMechEntry* d) {
    gssp_status m = 0;
    qxnego_free(d->own_oid.elements);
    d->own_oid.elements = nullptr;
    d->own_oid.length = 0;
    d->oid = nullptr;
    for (gssp_buffer_desc* b : {&d->status_text, &d->input_token, &d->authentication_id}) {
        if (b->value != nullptr) gssp_release_buffer(&m, b);
        b->length = 0;
        b->value = nullptr;
    }
}

// Tag 0 of a NegMech: the framework's malloc'd OID bytes are moved into
// bytes from the plug-in's allocator, which the merge takes over.
gssp_status ReadNegMechOid(gssp_status* minor, gsspasn_sequence_t seq, NegMechEntry* d) {
    gssp_OID_desc oid = {0, nullptr};
    const uint32_t status = gsspasn_get_decode_item(seq, 0, GSSPASN_TYPE_OID, &oid);
    if (!Ok(status)) return AsnFailure(minor, status);
    if (!UsableOid(&oid)) {
        std::free(oid.elements);
        return qxnego_result(minor, QXNEGO_E_NEGMECH_DECODE, GSSP_S_FAILURE);
    }
    void* copy = qxnego_malloc(oid.length);
    if (copy == nullptr) {
        std::free(oid.elements);
        return qxnego_result(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    }
    memcpy(copy, oid.elements, oid.length);
    std::free(oid.elements);
    d->own_oid.length = oid.length;
    d->own_oid.elements = copy;
    d->oid = &d->own_oid;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Tags 1 to 7 of a NegMech into the decoded record.
uint32_t ReadNegMechFields(gsspasn_sequence_t seq, NegMechEntry* d) {
    uint32_t status = gsspasn_get_decode_item(seq, 1, GSSPASN_TYPE_INTEGER, &d->MechState);
    if (!Ok(status)) return status;
    status = gsspasn_get_decode_item(seq, 2, GSSPASN_TYPE_INTEGER, &d->MechReason);
    if (status == QXGSS_MINOR_ASN_ITEM_ABSENT) {
        d->MechReason = QXNEGO_MECH_REASON_INVALID;
    } else if (!Ok(status)) {
        return status;
    }
    // The failure's details are read only for a GSSAPI Error.
    if (d->MechReason == QXNEGO_MECH_REASON_GSSAPI_ERROR) {
        status = gsspasn_get_decode_item(seq, 3, GSSPASN_TYPE_INTEGER, &d->major_status);
        if (Ok(status)) status = gsspasn_get_decode_item(seq, 4, GSSPASN_TYPE_INTEGER, &d->minor_status);
        if (Ok(status)) status = gsspasn_get_decode_item(seq, 5, GSSPASN_TYPE_BUFFER, &d->status_text);
        if (!Ok(status)) return status;
    }
    status = ReadOptionalBuffer(seq, 6, &d->input_token);
    if (Ok(status)) status = ReadOptionalBuffer(seq, 7, &d->authentication_id);
    return status;
}

}  // namespace

// ---- Encoding ---------------------------------------------------------------

extern "C" gssp_status QXNEGO_INT_EncodeNegMech(gssp_status* minor, gsspasn_encode_handle h, const NegMechEntry* entry) {
    if (entry == nullptr || !UsableOid(entry->oid)) return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_FAILURE);
    uint32_t status = gsspasn_start_encode_sequence(h, kSeqNegMech);
    if (Ok(status)) status = gsspasn_put_encode_item(h, 0, GSSPASN_TYPE_OID, entry->oid);
    if (Ok(status)) status = PutInteger(h, 1, entry->MechState);
    if (Ok(status) && entry->report_flag != 0) status = PutInteger(h, 2, entry->MechReason);
    if (Ok(status) && GSSP_ERROR(entry->major_status)) {
        status = PutInteger(h, 3, entry->major_status);
        if (Ok(status)) status = PutInteger(h, 4, entry->minor_status);
        if (Ok(status)) status = PutBuffer(h, 5, entry->status_text);
    }
    if (Ok(status) && HasBytes(entry->output_token)) status = PutBuffer(h, 6, entry->output_token);
    if (Ok(status) && HasBytes(entry->authentication_id)) status = PutBuffer(h, 7, entry->authentication_id);
    if (Ok(status)) status = gsspasn_stop_encode_sequence(h, kSeqNegMech);
    if (!Ok(status)) return AsnFailure(minor, status);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Writes the entries with a state change to report or still Available.
// The report flags are cleared by QXNEGO_INT_EncodeNegToken once the whole
// token exists, so that a failed encoding loses no change.
extern "C" gssp_status QXNEGO_INT_EncodeNegMechList(gssp_status* minor, gsspasn_encode_handle h, NegContext* context) {
    const NegMechList& list = context->mech_list;
    uint32_t status = gsspasn_start_encode_sequence(h, kSeqNegMech);
    if (!Ok(status)) return AsnFailure(minor, status);
    uint32_t written = 0;
    for (uint32_t k = 0; k < list.count; ++k) {
        const NegMechEntry& e = list.entries[k];
        if (e.report_flag == 0 && e.MechState != QXNEGO_MECH_STATE_AVAILABLE) continue;
        gssp_status m = 0;
        const gssp_status major = QXNEGO_INT_EncodeNegMech(&m, h, &e);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
        ++written;
    }
    if (written == 0) return qxnego_result(minor, QXNEGO_E_NO_MECHS_TO_ENCODE, GSSP_S_FAILURE);
    status = gsspasn_stop_encode_sequence(h, kSeqNegMech);
    if (!Ok(status)) return AsnFailure(minor, status);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_EncodeNegTokenInit(gssp_status* minor, gsspasn_encode_handle h, NegContext* context) {
    if (context->IsInitiator == 0 || context->call_counter != 0)
        return qxnego_result(minor, QXNEGO_E_INIT_TOKEN_NOT_FIRST, GSSP_S_FAILURE);
    if (context->NegState != QXNEGO_NEG_STATE_INCOMPLETE && context->NegState != QXNEGO_NEG_STATE_REQUEST_MIC)
        return qxnego_result(minor, QXNEGO_E_BAD_NEG_STATE, GSSP_S_FAILURE);
    if (context->mech_list.count == 0 || context->mech_list.entries == nullptr)
        return qxnego_result(minor, QXNEGO_E_MECH_LIST_EMPTY, GSSP_S_FAILURE);
    const gssp_buffer_desc& auth_id = context->authentication_id;
    if (context->sso != 1 && !HasBytes(auth_id)) return qxnego_result(minor, QXNEGO_E_NO_AUTH_ID, GSSP_S_FAILURE);
    if (context->sso == 1 && (auth_id.length != 0 || auth_id.value != nullptr))
        return qxnego_result(minor, QXNEGO_E_INTERNAL, GSSP_S_FAILURE);

    uint32_t status = gsspasn_start_encode_sequence(h, kSeqInit);
    if (!Ok(status)) return AsnFailure(minor, status);
    gssp_status m = 0;
    const gssp_status major = QXNEGO_INT_EncodeNegMechList(&m, h, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    status = PutInteger(h, 1, context->NegState);
    if (Ok(status) && context->sso == 0) status = PutBuffer(h, 2, auth_id);
    if (Ok(status) && context->sso != 0) status = PutInteger(h, 3, 1);
    if (Ok(status) && HasBytes(context->user)) status = PutBuffer(h, 4, context->user);
    if (Ok(status) && HasBytes(context->profile)) status = PutBuffer(h, 5, context->profile);
    if (Ok(status)) status = gsspasn_stop_encode_sequence(h, kSeqInit);
    if (!Ok(status)) return AsnFailure(minor, status);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_EncodeNegTokenResp(gssp_status* minor, gsspasn_encode_handle h, NegContext* context) {
    const uint32_t state = context->NegState;
    if (state < QXNEGO_NEG_STATE_COMPLETED || state > QXNEGO_NEG_STATE_REQUEST_MIC)
        return qxnego_result(minor, QXNEGO_E_BAD_NEG_STATE, GSSP_S_FAILURE);
    const NegMechList& list = context->mech_list;
    if (list.count == 0 || list.entries == nullptr) return qxnego_result(minor, QXNEGO_E_MECH_LIST_EMPTY, GSSP_S_FAILURE);
    const gssp_OID_desc* selected = nullptr;
    if (state == QXNEGO_NEG_STATE_COMPLETED) {
        const int32_t k = context->selected_entry_index;
        if (k >= 0 && (uint32_t)k < list.count) selected = list.entries[k].oid;
        if (!UsableOid(selected)) return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_FAILURE);
    }

    uint32_t status = gsspasn_start_encode_sequence(h, kSeqResp);
    if (!Ok(status)) return AsnFailure(minor, status);
    gssp_status m = 0;
    const gssp_status major = QXNEGO_INT_EncodeNegMechList(&m, h, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    status = PutInteger(h, 1, state);
    if (Ok(status) && selected != nullptr) status = gsspasn_put_encode_item(h, 2, GSSPASN_TYPE_OID, selected);
    if (Ok(status) && context->IsPolicyApplied != 0) status = PutInteger(h, 3, context->IsPolicyApplied);
    if (Ok(status)) status = gsspasn_stop_encode_sequence(h, kSeqResp);
    if (!Ok(status)) return AsnFailure(minor, status);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_EncodeNegToken(gssp_status* minor, uint32_t NegTokenType, NegContext* context,
                                                 gssp_buffer_t output) {
    if (output == nullptr)
        return qxnego_result(minor, QXNEGO_E_NULL_BUFFER, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    output->length = 0;
    output->value = nullptr;
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    // Once the peer has reported its outcome there is nothing more to send.
    if (context->NegStateFromPeer != QXNEGO_NEG_STATE_INCOMPLETE) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);

    gsspasn_encode_handle h = nullptr;
    uint32_t status = gsspasn_open_encode_handle(&h);
    if (!Ok(status)) return AsnFailure(minor, status);
    gssp_status m = QXNEGO_S_SUCCESS;
    gssp_status major = 0;
    status = gsspasn_set_encode_tagging(h, kTagging);
    if (!Ok(status)) {
        major = AsnFailure(&m, status);
    } else if (NegTokenType == QXNEGO_TOKEN_INIT) {
        major = QXNEGO_INT_EncodeNegTokenInit(&m, h, context);
    } else if (NegTokenType == QXNEGO_TOKEN_RESP) {
        major = QXNEGO_INT_EncodeNegTokenResp(&m, h, context);
    } else {
        major = qxnego_result(&m, QXNEGO_E_BAD_TOKEN_TYPE, GSSP_S_FAILURE);
    }
    if (GSSP_ERROR(major)) {
        gsspasn_close_encode_handle(&h, nullptr);  // nothing half-built leaves
        return qxnego_result(minor, m, major);
    }
    status = gsspasn_close_encode_handle(&h, output);
    if (!Ok(status)) return AsnFailure(minor, status);
    // Every entry with a report flag was written: the peer now has them.
    for (uint32_t k = 0; k < context->mech_list.count; ++k) context->mech_list.entries[k].report_flag = 0;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// ---- Decoding ---------------------------------------------------------------

extern "C" gssp_status QXNEGO_INT_DecodeNegMech(gssp_status* minor, gsspasn_decode_handle h, NegContext* context) {
    gsspasn_sequence_t seq = nullptr;
    int found = 0;
    const uint32_t status = gsspasn_get_decode_sequence(h, kSeqNegMech, &seq, &found);
    if (!Ok(status)) return AsnFailure(minor, status);
    if (found <= 0) return qxnego_result(minor, QXNEGO_E_NEGMECH_DECODE, GSSP_S_FAILURE);

    NegMechEntry decoded;
    memset(&decoded, 0, sizeof decoded);
    decoded.mech_index = -1;
    gssp_status m = 0;
    gssp_status major = ReadNegMechOid(&m, seq, &decoded);
    if (!GSSP_ERROR(major)) {
        const uint32_t field_status = ReadNegMechFields(seq, &decoded);
        if (!Ok(field_status)) major = AsnFailure(&m, field_status);
    }
    if (GSSP_ERROR(major)) {
        ReleaseDecoded(&decoded);
        return qxnego_result(minor, m, major);
    }
    // The merge takes over or gives back everything the record holds.
    major = QXNEGO_INT_ProcessNegMech(&m, &decoded, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, GSSP_S_FAILURE);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_DecodeNegMechList(gssp_status* minor, gsspasn_decode_handle h, NegContext* context) {
    gsspasn_sequence_t seq = nullptr;
    int found = 0;
    const uint32_t status = gsspasn_get_decode_sequence(h, kSeqNegMech, &seq, &found);
    if (!Ok(status)) return AsnFailure(minor, status);
    if (found <= 0) return qxnego_result(minor, QXNEGO_E_MECH_LIST_EMPTY, GSSP_S_FAILURE);
    if (found > QXNEGO_MAX_NEGMECHS) return qxnego_result(minor, QXNEGO_E_NEGMECH_DECODE, GSSP_S_FAILURE);
    for (int k = 0; k < found; ++k) {
        gssp_status m = 0;
        const gssp_status major = QXNEGO_INT_DecodeNegMech(&m, h, context);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_DecodeNegTokenInit(gssp_status* minor, gsspasn_decode_handle h, NegContext* context) {
    gsspasn_sequence_t top = nullptr;
    int found = 0;
    uint32_t status = gsspasn_get_top_decode_sequence(h, kSeqInit, &top, &found);
    if (!Ok(status)) return AsnFailure(minor, status);
    if (found <= 0) return qxnego_result(minor, QXNEGO_E_INIT_TOKEN_DECODE, GSSP_S_FAILURE);
    gssp_status m = 0;
    gssp_status major = QXNEGO_INT_DecodeNegMechList(&m, h, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);

    uint32_t state = 0;
    major = ReadPeerState(&m, top, false, &state);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    context->NegStateFromPeer = state;
    if (state != QXNEGO_NEG_STATE_INCOMPLETE) {
        major = Log(&m, QXNEGO_LOG_INIT_PEER_STATE, context);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    }

    status = ReadOptionalBuffer(top, 2, &context->authentication_id);
    if (Ok(status)) {
        uint32_t sso = 0;
        status = gsspasn_get_decode_item(top, 3, GSSPASN_TYPE_INTEGER, &sso);
        if (Ok(status)) context->sso = sso;
        if (status == QXGSS_MINOR_ASN_ITEM_ABSENT) status = QXGSS_MINOR_SUCCESS;
    }
    if (Ok(status)) status = ReadOptionalBuffer(top, 4, &context->user);
    if (Ok(status)) status = ReadOptionalBuffer(top, 5, &context->profile);
    if (!Ok(status)) return AsnFailure(minor, status);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

namespace {

// The selection a Completed peer reports: the first entry with that OID.
gssp_status TakePeerSelection(gssp_status* minor, gsspasn_sequence_t top, NegContext* context) {
    gssp_OID_desc oid = {0, nullptr};
    const uint32_t status = gsspasn_get_decode_item(top, 2, GSSPASN_TYPE_OID, &oid);
    if (!Ok(status)) return AsnFailure(minor, status);
    gssp_status m = QXNEGO_E_SELECTED_MECH_NOT_FOUND;
    gssp_status major = GSSP_S_FAILURE;
    if (!UsableOid(&oid)) {
        m = QXNEGO_E_SELECTED_OID_DECODE;
    } else {
        NegMechList& list = context->mech_list;
        for (uint32_t k = 0; k < list.count; ++k) {
            int differs = 1;
            gssp_status cm = 0;
            if (GSSP_ERROR(gssp_compare_oids(&cm, list.entries[k].oid, &oid, &differs))) {
                m = cm;
                break;
            }
            if (differs != 0) continue;
            context->selected_entry_index = (int32_t)k;
            context->selected_mech_index = list.entries[k].mech_index;
            m = QXNEGO_S_SUCCESS;
            major = 0;
            break;
        }
    }
    std::free(oid.elements);
    return qxnego_result(minor, m, major);
}

}  // namespace

extern "C" gssp_status QXNEGO_INT_DecodeNegTokenResp(gssp_status* minor, gsspasn_decode_handle h, NegContext* context) {
    gsspasn_sequence_t top = nullptr;
    int found = 0;
    uint32_t status = gsspasn_get_top_decode_sequence(h, kSeqResp, &top, &found);
    if (!Ok(status)) return AsnFailure(minor, status);
    if (found <= 0) return qxnego_result(minor, QXNEGO_E_RESP_TOKEN_DECODE, GSSP_S_FAILURE);
    gssp_status m = 0;
    gssp_status major = QXNEGO_INT_DecodeNegMechList(&m, h, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);

    uint32_t state = 0;
    major = ReadPeerState(&m, top, true, &state);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    context->NegStateFromPeer = state;
    if (state != QXNEGO_NEG_STATE_INCOMPLETE) {
        major = Log(&m, QXNEGO_LOG_RESP_PEER_STATE, context);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    }
    if (state == QXNEGO_NEG_STATE_COMPLETED) {
        major = TakePeerSelection(&m, top, context);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    }
    if (context->IsPolicyApplied == 0) {
        uint32_t applied = 0;
        status = gsspasn_get_decode_item(top, 3, GSSPASN_TYPE_INTEGER, &applied);
        if (status == QXGSS_MINOR_ASN_ITEM_ABSENT) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
        if (!Ok(status)) return AsnFailure(minor, status);
        context->IsPolicyApplied = applied;
        if (applied != 0) {
            major = Log(&m, QXNEGO_LOG_RESP_POLICY_AT_SERVER, context);
            if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
        }
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_DecodeNegToken(gssp_status* minor, uint32_t NegTokenType, const gssp_buffer_desc* input,
                                                 NegContext* context) {
    if (NegTokenType != QXNEGO_TOKEN_INIT && NegTokenType != QXNEGO_TOKEN_RESP)
        return qxnego_result(minor, QXNEGO_E_BAD_TOKEN_TYPE, GSSP_S_FAILURE);
    if (input == nullptr || !HasBytes(*input))
        return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);

    gsspasn_decode_handle h = nullptr;
    uint32_t status = gsspasn_open_decode_handle(&h, input);
    if (!Ok(status)) return AsnFailure(minor, status);
    gssp_status m = QXNEGO_S_SUCCESS;
    gssp_status major = 0;
    status = gsspasn_set_decode_tagging(h, kTagging);
    if (!Ok(status)) {
        major = AsnFailure(&m, status);
    } else if (NegTokenType == QXNEGO_TOKEN_INIT) {
        major = QXNEGO_INT_DecodeNegTokenInit(&m, h, context);
    } else {
        major = QXNEGO_INT_DecodeNegTokenResp(&m, h, context);
    }
    status = gsspasn_close_decode_handle(&h);
    if (!GSSP_ERROR(major) && !Ok(status)) major = AsnFailure(&m, status);
    return qxnego_result(minor, m, major);
}
