// The user-properties buffer the application gets from a context: the
// selected mechanism's records, the policy flag in a flags record and the
// rendered negotiation log in a record of its own. Once the negotiation is
// Completed the buffer is built once and kept in the context; before that
// every request builds a fresh one with the log of that moment.
//
// The buffers handed to the application and kept in the context come from
// the framework (gssp_duplicate_buffer), since both are given back with
// gssp_release_secure_buffer; what is built on the way comes from the
// plug-in's allocator and is wiped and freed here.
#include "user_properties.h"

#include <cstring>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_log.h"
#include "plugin_memory.h"
#include "status_result.h"

namespace {

// The longest text a record can hold with a zero byte after it: the record
// length, a 16-bit multiple of 4, is at most 65,532.
const uint64_t kMaxRecordText = 65525u;
const unsigned kPolicyFlagOffset = 8u;

bool IsEmpty(const gssp_buffer_desc* buffer) {
    return buffer == nullptr || buffer->length == 0;
}

bool IsMalformed(const gssp_buffer_desc* buffer) {
    return buffer != nullptr && buffer->length != 0 && buffer->value == nullptr;
}

void SetEmpty(gssp_buffer_t buffer) {
    buffer->length = 0;
    buffer->value = nullptr;
}

void Put16(unsigned char* at, uint16_t value) {
    at[0] = (unsigned char)(value & 0xFFu);
    at[1] = (unsigned char)(value >> 8);
}

void PutHeader(unsigned char* at, uint16_t type, uint16_t length, uint16_t data_length) {
    Put16(at, type);
    Put16(at + 2, length);
    Put16(at + 4, data_length);
}

// A flags record that has room for the policy flag (record offset 8).
bool TakesPolicyFlag(const PropertyRecordView& record) {
    return record.header.type == QXAT_PROP_FLAGS && record.header.length > kPolicyFlagOffset;
}

bool HasFlagsRecord(const unsigned char* bytes, uint64_t size) {
    uint64_t offset = 0;
    PropertyRecordView record;
    while (qxat_next_property_record(bytes, size, &offset, &record)) {
        if (TakesPolicyFlag(record)) return true;
    }
    return false;
}

// Every flags record of the buffer gets data length 2 and the policy flag.
void SetPolicyFlag(unsigned char* bytes, uint64_t size, unsigned char policy_flag) {
    uint64_t offset = 0;
    PropertyRecordView record;
    while (qxat_next_property_record(bytes, size, &offset, &record)) {
        if (!TakesPolicyFlag(record)) continue;
        unsigned char* at = bytes + record.offset;
        Put16(at + 4, 2);
        at[kPolicyFlagOffset] = policy_flag;
    }
}

// How much of the log fits in one record: all of it, or up to the last
// complete line that fits.
uint64_t LogTextLength(const gssp_buffer_desc* log_text) {
    if (IsEmpty(log_text)) return 0;
    if (log_text->length <= kMaxRecordText) return log_text->length;
    const char* text = (const char*)log_text->value;
    for (uint64_t n = kMaxRecordText; n > 0; --n) {
        if (text[n - 1] == '\n') return n;
    }
    return kMaxRecordText;
}

uint16_t TextRecordLength(uint64_t text_length) {
    return (uint16_t)((text_length + 7u + 3u) / 4u * 4u);
}

// Gives back a buffer from the plug-in's allocator, wiped.
void Discard(gssp_buffer_t buffer) {
    if (buffer->value != nullptr) {
        qxnego_wipe(buffer->value, (size_t)buffer->length);
        qxnego_free(buffer->value);
    }
    SetEmpty(buffer);
}

// Gives back a buffer the framework or a mechanism handed out.
void ReleaseSecure(gssp_buffer_t buffer) {
    if (buffer->value != nullptr) {
        gssp_status ignored = 0;
        gssp_release_secure_buffer(&ignored, buffer);
    }
    SetEmpty(buffer);
}

// The selected mechanism's own properties, empty when it has none or the
// negotiation is not Completed.
gssp_status MechanismProperties(gssp_status* minor, const NegContext* context, gssp_buffer_t properties) {
    SetEmpty(properties);
    if (context->NegState != QXNEGO_NEG_STATE_COMPLETED) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    const int32_t mech = context->selected_mech_index;
    const int32_t entry = context->selected_entry_index;
    if (mech < 0 || (uint32_t)mech >= MechCount || pMechInfo == nullptr || entry < 0 ||
        (uint32_t)entry >= context->mech_list.count || context->mech_list.entries == nullptr)
        return qxnego_result(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_FAILURE);
    const gssp_inquire_properties_for_user_fn inquire = pMechInfo[mech].inquire_properties_for_user;
    if (inquire == nullptr) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    gssp_status m = 0;
    const gssp_status major = inquire(&m, context->mech_list.entries[entry].context, properties);
    if (GSSP_ERROR(major)) {
        // Whatever a failing mechanism left behind is not passed on.
        if (!IsMalformed(properties)) ReleaseSecure(properties);
        SetEmpty(properties);
        return qxnego_result(minor, m, major);
    }
    // A length without bytes holds no records.
    if (IsMalformed(properties)) SetEmpty(properties);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

}  // namespace

extern "C" gssp_status QXNEGO_INT_AddNegProperties(gssp_status* minor, gssp_buffer_t mechanism_properties,
                                                   unsigned char policy_flag, const gssp_buffer_desc* log_text,
                                                   gssp_buffer_t output) {
    if (output == nullptr || IsMalformed(mechanism_properties) || IsMalformed(log_text))
        return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_FAILURE);
    if (IsEmpty(mechanism_properties) && policy_flag == 0 && IsEmpty(log_text))
        return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);

    const unsigned char* existing =
        IsEmpty(mechanism_properties) ? nullptr : (const unsigned char*)mechanism_properties->value;
    const uint64_t existing_size = existing == nullptr ? 0 : mechanism_properties->length;
    const bool has_flags = HasFlagsRecord(existing, existing_size);
    const uint64_t text_length = LogTextLength(log_text);
    const uint16_t log_record_length = TextRecordLength(text_length);
    const uint64_t size = existing_size + (has_flags ? 0u : QXAT_PROPERTY_FLAGS_SIZE) + log_record_length;
    unsigned char* bytes = (uint64_t)(size_t)size != size ? nullptr : (unsigned char*)qxnego_calloc(1, (size_t)size);
    if (bytes == nullptr) {
        SetEmpty(output);
        return qxnego_result(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    }

    unsigned char* at = bytes;
    if (existing_size != 0) {
        memcpy(at, existing, (size_t)existing_size);
        SetPolicyFlag(at, existing_size, policy_flag);
        at += existing_size;
    }
    if (!has_flags) {
        PutHeader(at, QXAT_PROP_FLAGS, QXAT_PROPERTY_FLAGS_SIZE, 2);
        at[kPolicyFlagOffset] = policy_flag;
        at += QXAT_PROPERTY_FLAGS_SIZE;
    }
    PutHeader(at, QXAT_PROP_NEG_LOG, log_record_length, (uint16_t)text_length);
    if (text_length != 0) memcpy(at + QXAT_PROPERTY_HEADER_SIZE, log_text->value, (size_t)text_length);

    output->value = bytes;
    output->length = size;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_BuildUserProperties(gssp_status* minor, const NegContext* context,
                                                      gssp_buffer_t output) {
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_NO_CONTEXT);
    if (output == nullptr)
        return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    SetEmpty(output);

    gssp_status m = 0;
    gssp_buffer_desc mechanism = {0, nullptr};
    gssp_status major = MechanismProperties(&m, context, &mechanism);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);

    gssp_buffer_desc log_text = {0, nullptr};
    major = QXNEGO_INT_RenderNegLog(&m, context, &log_text);
    if (!GSSP_ERROR(major)) {
        major = QXNEGO_INT_AddNegProperties(&m, &mechanism, (unsigned char)(context->IsPolicyApplied & 0xFFu),
                                            &log_text, output);
    }
    ReleaseSecure(&mechanism);
    Discard(&log_text);
    if (GSSP_ERROR(major)) {
        SetEmpty(output);
        return qxnego_result(minor, m, major);
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_inquire_properties_for_user(gssp_status* minor, gssp_ctx_id_t context_handle,
                                                          gssp_buffer_t properties) {
    NegContext* context = (NegContext*)context_handle;
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_NO_CONTEXT);
    if (properties == nullptr)
        return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    SetEmpty(properties);

    gssp_status m = 0;
    gssp_status major = 0;
    if (context->user_properties.value == nullptr) {
        gssp_buffer_desc built = {0, nullptr};
        major = QXNEGO_INT_BuildUserProperties(&m, context, &built);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
        // Completed: kept for the life of the context. Before that: handed
        // out as it is, and built afresh on the next request.
        gssp_buffer_t destination =
            context->NegState == QXNEGO_NEG_STATE_COMPLETED ? &context->user_properties : properties;
        major = gssp_duplicate_buffer(&m, &built, destination);
        Discard(&built);
        if (GSSP_ERROR(major)) {
            SetEmpty(destination);
            return qxnego_result(minor, m, major);
        }
        if (destination == properties) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    }
    major = gssp_duplicate_buffer(&m, &context->user_properties, properties);
    if (GSSP_ERROR(major)) {
        SetEmpty(properties);
        return qxnego_result(minor, m, major);
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}
