#include "neg_mech_list.h"

#include <string.h>

#include "mechanism_status.h"
#include "plugin_memory.h"
#include "process_state.h"

namespace {

gssp_status Done(gssp_status* minor, uint32_t code, gssp_status major) {
    if (minor) *minor = code;
    return major;
}

void SetEmpty(NegMechList* list) {
    list->count = 0;
    list->entries = nullptr;
}

/* The framework's entry of a mechanism index, or null when the index is not
 * in the table. */
const gssp_mech_info* MechInfo(int32_t index) {
    if (index < 0 || (uint32_t)index >= MechCount || pMechInfo == nullptr) return nullptr;
    return &pMechInfo[index];
}

bool EntryEnabled(const NegMechEntry& e) {
    const gssp_mech_info* info = MechInfo(e.mech_index);
    return info != nullptr && info->enabled != 0;
}

/* One exchange-sort pass: entries at i and j swap when swap(at j, at i). */
template <typename Condition>
void ExchangePass(NegMechList* list, Condition swap) {
    for (uint32_t i = 0; i + 1 < list->count; ++i) {
        for (uint32_t j = i + 1; j < list->count; ++j) {
            if (swap(list->entries[j], list->entries[i])) {
                const NegMechEntry t = list->entries[i];
                list->entries[i] = list->entries[j];
                list->entries[j] = t;
            }
        }
    }
}

void OrderByPreference(NegMechList* list) {
    ExchangePass(list, [](const NegMechEntry& j, const NegMechEntry& i) { return j.preferred > i.preferred; });
    ExchangePass(list, [](const NegMechEntry& j, const NegMechEntry& i) {
        return j.preferred != 0 && i.preferred != 0 && j.rank < i.rank;
    });
    ExchangePass(list, [](const NegMechEntry& j, const NegMechEntry& i) {
        return j.preferred == 0 && i.preferred == 0 && j.rank < i.rank;
    });
}

/* Fills entry from the configuration item when it names a mechanism that
 * may be negotiated; false otherwise. */
bool ResolveItem(const gssp_negotiable_mech& item, gssp_OID proxy, NegMechEntry* entry) {
    gssp_status m = 0;
    gssp_OID oid = nullptr;
    uint32_t index = GSSP_NO_MECH_INDEX;
    if (item.usable == 0 || item.oid_text == nullptr) return false;
    if (GSSP_ERROR(gssp_mechoidstr_to_oid(&m, item.oid_text, &oid)) || oid == nullptr) return false;
    if (GSSP_ERROR(gssp_oid_to_mechindex(&m, oid, &index)) || index == GSSP_NO_MECH_INDEX) return false;
    if (proxy != nullptr) {
        int differs = 0;
        if (GSSP_ERROR(gssp_compare_oids(&m, oid, proxy, &differs)) || differs == 0) return false;
    }
    const gssp_mech_info* info = MechInfo((int32_t)index);
    if (info == nullptr || info->enabled == 0) return false;
    if ((int32_t)index == qxnego_process_state.own_mech_index) return false;
    uint32_t preferred = 0;
    int32_t rank = 0;
    uint32_t sso = 0;
    if (GSSP_ERROR(gssp_inquire_one_mech_property_boolean(&m, oid, QXGSS_PROPERTY_NEGOTIATION_PREFERRED, &preferred)))
        return false;
    if (GSSP_ERROR(gssp_inquire_one_mech_property_int(&m, oid, QXGSS_PROPERTY_RANK, &rank))) return false;
    if (GSSP_ERROR(gssp_inquire_one_mech_property_boolean(&m, oid, QXGSS_PROPERTY_SSO_SUPPORTED, &sso))) return false;
    memset(entry, 0, sizeof *entry);
    entry->report_flag = 1;
    entry->oid = oid;
    entry->MechState = QXNEGO_MECH_STATE_AVAILABLE;
    entry->MechReason = QXNEGO_MECH_REASON_AVAILABLE;
    entry->mech_index = (int32_t)index;
    entry->preferred = preferred;
    entry->rank = rank;
    entry->sso_supported = sso;
    return true;
}

/* Remembers a failure of a release step; the walk goes on. */
void Keep(gssp_status major, gssp_status m, gssp_status* last_major, gssp_status* last_minor) {
    if (GSSP_ERROR(major)) {
        *last_major = major;
        *last_minor = m;
    }
}

void ReleaseBuffer(gssp_buffer_desc* buffer, gssp_status* last_major, gssp_status* last_minor) {
    if (buffer->value == nullptr && buffer->length == 0) return;
    gssp_status m = 0;
    Keep(gssp_release_buffer(&m, buffer), m, last_major, last_minor);
}

void ReleaseEntry(NegMechEntry* e, gssp_status* last_major, gssp_status* last_minor) {
    gssp_status m = 0;
    ReleaseBuffer(&e->status_text, last_major, last_minor);
    ReleaseBuffer(&e->input_token, last_major, last_minor);
    ReleaseBuffer(&e->output_token, last_major, last_minor);
    ReleaseBuffer(&e->authentication_id, last_major, last_minor);
    const gssp_mech_info* info = MechInfo(e->mech_index);
    if (info != nullptr) {
        if (e->credential != nullptr && info->release_cred != nullptr)
            Keep(info->release_cred(&m, &e->credential), m, last_major, last_minor);
        if (e->delegated_cred != nullptr && info->release_cred != nullptr)
            Keep(info->release_cred(&m, &e->delegated_cred), m, last_major, last_minor);
        if (e->context != nullptr && info->delete_sec_context != nullptr)
            Keep(info->delete_sec_context(&m, &e->context, nullptr), m, last_major, last_minor);
    }
    if (e->src_name != nullptr) {
        if (info != nullptr && info->release_name != nullptr)
            Keep(info->release_name(&m, &e->src_name), m, last_major, last_minor);
        else
            Keep(gssp_release_name(&m, &e->src_name), m, last_major, last_minor);
    }
    qxnego_free(e->own_oid.elements);
    e->own_oid.elements = nullptr;
    e->own_oid.length = 0;
}

/* Gives back what a decoded report still holds. */
void ReleaseDecoded(NegMechEntry* d, gssp_status* last_major, gssp_status* last_minor) {
    ReleaseBuffer(&d->status_text, last_major, last_minor);
    ReleaseBuffer(&d->input_token, last_major, last_minor);
    ReleaseBuffer(&d->authentication_id, last_major, last_minor);
    if (d->oid == &d->own_oid) d->oid = nullptr;
    qxnego_free(d->own_oid.elements);
    d->own_oid.elements = nullptr;
    d->own_oid.length = 0;
}

gssp_status Log(gssp_status* minor, const char* text, const NegMechEntry* entry, NegContext* context) {
    gssp_status m = 0;
    const gssp_status major = QXNEGO_INT_NegLogEntry(&m, text, entry, context);
    if (GSSP_ERROR(major)) return Done(minor, m, major);
    return Done(minor, QXNEGO_S_SUCCESS, 0);
}

/* The peer reports a mechanism this side has never heard of: the list grows
 * by one entry that owns the report's OID bytes and is rejected. */
gssp_status AddPeerOnlyMech(gssp_status* minor, NegMechEntry* decoded, NegContext* context) {
    NegMechList* list = &context->mech_list;
    NegMechEntry* grown = (NegMechEntry*)qxnego_calloc((size_t)list->count + 1, sizeof(NegMechEntry));
    if (grown == nullptr) {
        gssp_status lm = 0, lmi = 0;
        ReleaseDecoded(decoded, &lm, &lmi);
        return Done(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    }
    for (uint32_t i = 0; i < list->count; ++i) {
        grown[i] = list->entries[i];
        if (list->entries[i].oid == &list->entries[i].own_oid) grown[i].oid = &grown[i].own_oid;
    }
    qxnego_free(list->entries);
    list->entries = grown;
    NegMechEntry* e = &grown[list->count];
    list->count += 1;

    *e = *decoded;
    e->own_oid = decoded->own_oid;
    e->oid = &e->own_oid;
    e->mech_index = -1;
    e->IsCtxEstablished = 0;
    memset(decoded, 0, sizeof *decoded);
    decoded->mech_index = -1;
    decoded->oid = e->oid;

    gssp_status last_major = 0, last_minor = QXNEGO_S_SUCCESS;
    gssp_status m = 0;
    gssp_status major = Log(&m, QXNEGO_LOG_PEER_MECH_UNKNOWN, e, context);
    Keep(major, m, &last_major, &last_minor);
    ReleaseBuffer(&e->status_text, &last_major, &last_minor);
    ReleaseBuffer(&e->input_token, &last_major, &last_minor);
    ReleaseBuffer(&e->authentication_id, &last_major, &last_minor);
    /* Rejected even when a step above failed, so that it is never selected. */
    e->MechState = QXNEGO_MECH_STATE_REJECTED;
    e->MechReason = context->IsInitiator ? QXNEGO_MECH_REASON_NOT_AT_CLIENT : QXNEGO_MECH_REASON_NOT_AT_SERVER;
    e->major_status = 0;
    e->minor_status = 0;
    e->report_flag = 1;
    if (GSSP_ERROR(last_major)) return Done(minor, last_minor, last_major);
    return Log(minor, QXNEGO_LOG_PEER_MECH_REJECTED, e, context);
}

}  // namespace

extern "C" gssp_status QXNEGO_INT_InitNegMechList(gssp_status* minor, NegMechList* list) {
    if (list == nullptr) return Done(minor, QXNEGO_E_MECH_LIST_INIT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    SetEmpty(list);
    const gssp_mech_info* own = MechInfo(qxnego_process_state.own_mech_index);
    if (own == nullptr || own->negotiable_count == 0 || own->negotiable == nullptr)
        return Done(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    uint32_t usable = 0;
    for (uint32_t k = 0; k < own->negotiable_count; ++k) {
        if (own->negotiable[k].usable != 0) ++usable;
    }
    if (usable == 0) return Done(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    NegMechEntry* entries = (NegMechEntry*)qxnego_calloc(usable, sizeof(NegMechEntry));
    if (entries == nullptr) return Done(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);

    gssp_status m = 0;
    gssp_OID proxy = nullptr;
    if (GSSP_ERROR(gssp_mechstr_to_oid(&m, "PROXY", &proxy))) proxy = nullptr;

    uint32_t filled = 0;
    for (uint32_t k = 0; k < own->negotiable_count && filled < usable; ++k) {
        if (ResolveItem(own->negotiable[k], proxy, &entries[filled])) ++filled;
    }
    if (filled == 0) {
        qxnego_free(entries);
        return Done(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    }
    list->count = filled;
    list->entries = entries;
    OrderByPreference(list);
    return Done(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_GetNegMechList(gssp_status* minor, const NegMechList* source,
                                                 NegMechList* destination, NegContext* context) {
    if (destination == nullptr)
        return Done(minor, QXNEGO_E_MECH_LIST_COPY, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    SetEmpty(destination);
    if (source == nullptr)
        return Done(minor, QXNEGO_E_MECH_LIST_COPY, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    if (source->count == 0 || source->entries == nullptr)
        return Done(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    NegMechEntry* entries = (NegMechEntry*)qxnego_calloc(source->count, sizeof(NegMechEntry));
    if (entries == nullptr) return Done(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    uint32_t copied = 0;
    for (uint32_t k = 0; k < source->count; ++k) {
        if (!EntryEnabled(source->entries[k])) continue;
        entries[copied] = source->entries[k];
        if (context != nullptr) {
            gssp_status m = 0;
            const gssp_status major = Log(&m, QXNEGO_LOG_MECH_AVAILABLE, &entries[copied], context);
            if (GSSP_ERROR(major)) {
                qxnego_free(entries);
                return Done(minor, m, major);
            }
        }
        ++copied;
    }
    if (copied == 0) {
        qxnego_free(entries);
        return Done(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    }
    destination->count = copied;
    destination->entries = entries;
    return Done(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_ReleaseNegMechList(gssp_status* minor, NegMechList* list) {
    if (list == nullptr) return Done(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    gssp_status last_major = 0, last_minor = QXNEGO_S_SUCCESS;
    for (uint32_t k = 0; list->entries != nullptr && k < list->count; ++k) {
        ReleaseEntry(&list->entries[k], &last_major, &last_minor);
    }
    qxnego_free(list->entries);
    SetEmpty(list);
    return Done(minor, last_minor, last_major);
}

extern "C" gssp_status QXNEGO_INT_SetMechState(gssp_status* minor, uint32_t state, uint32_t reason,
                                               uint32_t major_status, uint32_t minor_status,
                                               const gssp_buffer_desc* status_text, NegMechEntry* entry) {
    if (entry == nullptr)
        return Done(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    if (state < QXNEGO_MECH_STATE_AVAILABLE || state > QXNEGO_MECH_STATE_REJECTED)
        return Done(minor, QXNEGO_E_BAD_STATE_CHANGE, GSSP_S_FAILURE);
    if (reason < QXNEGO_MECH_REASON_AVAILABLE || reason > QXNEGO_MECH_REASON_NO_AUTH_ID)
        return Done(minor, QXNEGO_E_BAD_STATE_REASON, GSSP_S_FAILURE);
    entry->MechState = state;
    entry->MechReason = reason;
    entry->major_status = major_status;
    entry->minor_status = minor_status;
    if (status_text != nullptr) {
        gssp_status m = 0;
        gssp_status major = 0;
        if (entry->status_text.value != nullptr || entry->status_text.length != 0) {
            major = gssp_release_buffer(&m, &entry->status_text);
            if (GSSP_ERROR(major)) return Done(minor, m, major);
        }
        major = gssp_duplicate_buffer(&m, status_text, &entry->status_text);
        if (GSSP_ERROR(major)) return Done(minor, m, major);
    }
    entry->report_flag = 1;
    return Done(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_SelectMechanism(gssp_status* minor, NegContext* context) {
    if (context == nullptr)
        return Done(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    NegMechList* list = &context->mech_list;
    if (list->count == 0 || list->entries == nullptr)
        return Done(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);

    if (context->NegStateFromPeer == QXNEGO_NEG_STATE_COMPLETED) {
        const int32_t s = context->selected_entry_index;
        if (s < 0 || (uint32_t)s >= list->count || list->entries[s].IsCtxEstablished != 1)
            return Done(minor, QXNEGO_E_INTERNAL, GSSP_S_FAILURE);
        context->NegState = QXNEGO_NEG_STATE_COMPLETED;
        return Log(minor, QXNEGO_LOG_NEG_COMPLETED, &list->entries[s], context);
    }

    uint32_t available = 0, rejected = 0, first = 0;
    for (uint32_t k = 0; k < list->count; ++k) {
        const uint32_t state = list->entries[k].MechState;
        if (state == QXNEGO_MECH_STATE_AVAILABLE) {
            if (available++ == 0) first = k;
        } else if (state == QXNEGO_MECH_STATE_REJECTED) {
            ++rejected;
        } else {
            return Done(minor, QXNEGO_E_BAD_NEG_STATE, GSSP_S_FAILURE);
        }
    }
    if (rejected == list->count) {
        context->NegState = QXNEGO_NEG_STATE_REJECT;
        return Done(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    }
    if (available == 0 || list->entries[first].IsCtxEstablished != 1 || context->IsPolicyApplied != 1)
        return Done(minor, QXNEGO_S_SUCCESS, 0);

    context->NegState = QXNEGO_NEG_STATE_COMPLETED;
    context->selected_entry_index = (int32_t)first;
    context->selected_mech_index = list->entries[first].mech_index;
    for (uint32_t k = 0; k < list->count; ++k) {
        NegMechEntry* e = &list->entries[k];
        uint32_t to;
        if (k == first)
            to = QXNEGO_MECH_STATE_SELECTED;
        else if (e->MechState == QXNEGO_MECH_STATE_AVAILABLE)
            to = QXNEGO_MECH_STATE_REJECTED;
        else
            continue;
        gssp_status m = 0;
        gssp_status major = QXNEGO_INT_SetMechState(&m, to, QXNEGO_MECH_REASON_RANK, 0, 0, nullptr, e);
        if (!GSSP_ERROR(major)) major = Log(&m, QXNEGO_LOG_MECH_SELECTED, e, context);
        if (GSSP_ERROR(major)) return Done(minor, m, major);
    }
    return Done(minor, QXNEGO_S_SUCCESS, 0);
}

extern "C" gssp_status QXNEGO_INT_ProcessNegMech(gssp_status* minor, NegMechEntry* decoded, NegContext* context) {
    gssp_status drop_major = 0, drop_minor = 0;
    if (decoded == nullptr)
        return Done(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    if (context == nullptr) {
        ReleaseDecoded(decoded, &drop_major, &drop_minor);
        return Done(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    }
    NegMechList* list = &context->mech_list;
    if (list->count == 0 || list->entries == nullptr) {
        ReleaseDecoded(decoded, &drop_major, &drop_minor);
        return Done(minor, QXNEGO_E_MECH_LIST_EMPTY, GSSP_S_FAILURE);
    }
    if (decoded->oid == nullptr || decoded->oid->length == 0 || decoded->oid->elements == nullptr) {
        ReleaseDecoded(decoded, &drop_major, &drop_minor);
        return Done(minor, QXNEGO_E_NEGMECH_DECODE, GSSP_S_FAILURE);
    }

    NegMechEntry* e = nullptr;
    for (uint32_t k = 0; k < list->count && e == nullptr; ++k) {
        gssp_status m = 0;
        int differs = 1;
        if (GSSP_ERROR(gssp_compare_oids(&m, list->entries[k].oid, decoded->oid, &differs))) {
            ReleaseDecoded(decoded, &drop_major, &drop_minor);
            return Done(minor, m, GSSP_S_FAILURE);
        }
        if (differs == 0) e = &list->entries[k];
    }
    if (e == nullptr) return AddPeerOnlyMech(minor, decoded, context);

    /* The report now names the local entry's mechanism. */
    if (decoded->oid == &decoded->own_oid) decoded->oid = nullptr;
    qxnego_free(decoded->own_oid.elements);
    decoded->own_oid.elements = nullptr;
    decoded->own_oid.length = 0;
    decoded->oid = e->oid;
    decoded->mech_index = e->mech_index;
    decoded->IsCtxEstablished = e->IsCtxEstablished;
    if (decoded->MechReason == 0) decoded->MechReason = e->MechReason;

    gssp_status m = 0;
    gssp_status major = Log(&m, QXNEGO_LOG_PEER_MECH_STATE, decoded, context);
    if (!GSSP_ERROR(major) && e->MechState == QXNEGO_MECH_STATE_AVAILABLE &&
        decoded->MechState != QXNEGO_MECH_STATE_AVAILABLE) {
        major = QXNEGO_INT_SetMechState(&m, decoded->MechState, decoded->MechReason, decoded->major_status,
                                        decoded->minor_status, &decoded->status_text, e);
        if (!GSSP_ERROR(major)) {
            e->report_flag = 0;
            major = Log(&m, QXNEGO_LOG_LOCAL_STATE_FROM_PEER, e, context);
        }
    }
    if (GSSP_ERROR(major)) {
        ReleaseDecoded(decoded, &drop_major, &drop_minor);
        return Done(minor, m, major);
    }

    gssp_status last_major = 0, last_minor = QXNEGO_S_SUCCESS;
    ReleaseBuffer(&decoded->status_text, &last_major, &last_minor);
    if (decoded->input_token.length != 0) {
        ReleaseBuffer(&e->input_token, &last_major, &last_minor);
        e->input_token = decoded->input_token;
        decoded->input_token.length = 0;
        decoded->input_token.value = nullptr;
    }
    if (decoded->authentication_id.length != 0) {
        /* A second report must not lose the first one's bytes. */
        ReleaseBuffer(&e->authentication_id, &last_major, &last_minor);
        e->authentication_id = decoded->authentication_id;
        decoded->authentication_id.length = 0;
        decoded->authentication_id.value = nullptr;
    }
    ReleaseDecoded(decoded, &drop_major, &drop_minor);
    return Done(minor, last_minor, last_major);
}
