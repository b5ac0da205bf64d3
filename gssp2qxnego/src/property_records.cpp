// The user-property record builders: qxat_fill_authorizations (the records of
// what the user is authorized for) and qxat_fill_mechinfo (the records that
// name the mechanism).
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "framework_status.h"
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "plugin_memory.h"

namespace {

// The largest record length a 16-bit field holds that is a multiple of 4.
const uint32_t kMaxRecordLength = 0xFFFCu;

enum Room { kNoTerminator = 6, kTerminator = 7 };

// One record to write: a type and its data.
struct PendingRecord {
    uint16_t type;
    const void* data;
    size_t data_length;
    Room room;
};

// The record length for data of n bytes, or 0 when it cannot be described.
uint32_t record_length(size_t n, Room room) {
    if (n > kMaxRecordLength) {
        return 0;
    }
    uint32_t length = ((uint32_t)n + (uint32_t)room + 3u) & ~3u;
    return length <= kMaxRecordLength ? length : 0;
}

void put16(unsigned char* p, uint16_t v) {
    p[0] = (unsigned char)(v & 0xFFu);
    p[1] = (unsigned char)(v >> 8);
}

unsigned char* put_record(unsigned char* p, uint16_t type, uint16_t length, const void* data, uint16_t data_length) {
    put16(p, type);
    put16(p + 2, length);
    put16(p + 4, data_length);
    if (data_length > 0) {
        memcpy(p + QXAT_PROPERTY_HEADER_SIZE, data, data_length);
    }
    return p + length;
}

// A flags record: 16 bytes, data_length flag bytes.
unsigned char* put_flags(unsigned char* p, uint16_t data_length, unsigned char byte0, unsigned char byte1) {
    const unsigned char flags[2] = {byte0, byte1};
    return put_record(p, QXAT_PROP_FLAGS, QXAT_PROPERTY_FLAGS_SIZE, flags, data_length);
}

// The total size of the records, or 0 when one of them is too long.
uint64_t records_size(const PendingRecord* records, size_t count) {
    uint64_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t length = record_length(records[i].data_length, records[i].room);
        if (length == 0) {
            return 0;
        }
        total += length;
    }
    return total;
}

unsigned char* put_records(unsigned char* p, const PendingRecord* records, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const PendingRecord& r = records[i];
        p = put_record(p, r.type, (uint16_t)record_length(r.data_length, r.room), r.data, (uint16_t)r.data_length);
    }
    return p;
}

bool equal_ignore_case(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b)) {
            return false;
        }
    }
    return *a == *b;
}

size_t count_list(char** list) {
    size_t n = 0;
    while (list != NULL && list[n] != NULL) {
        ++n;
    }
    return n;
}

// Whether the list holds text (letter case ignored).
bool in_list(char** list, size_t count, const char* text) {
    for (size_t i = 0; i < count; ++i) {
        if (equal_ignore_case(list[i], text)) {
            return true;
        }
    }
    return false;
}

// Removes the "extuser" entries: the last entry moves into the freed place
// and the scan goes on with the following position. Gives the new count.
size_t remove_extuser(char** list, size_t count, bool* removed) {
    for (size_t i = 0; i < count; ++i) {
        if (equal_ignore_case(list[i], "extuser")) {
            free(list[i]);
            list[i] = list[count - 1];
            list[count - 1] = NULL;
            --count;
            *removed = true;
        }
    }
    return count;
}

gssp_status finish(gssp_status* minor, uint32_t minor_value, gssp_status major) {
    if (minor != NULL) {
        *minor = minor_value;
    }
    return major;
}

// Chooses from a list: the requested entry when the list holds it, the only
// entry when none is requested, or fallback for an empty list. False when
// no choice is allowed.
bool choose(const char* requested, char** list, size_t count, const char* fallback, const char** chosen) {
    if (requested != NULL) {
        *chosen = requested;
        return in_list(list, count, requested);
    }
    if (count > 1) {
        return false;
    }
    *chosen = count == 1 ? list[0] : fallback;
    return true;
}

}  // namespace

extern "C" gssp_status qxat_fill_authorizations(gssp_status* minor, gssp_buffer_t output, const char* primary_name,
                                                const char* optional_name, AuthorizationInfo* info,
                                                const char* requested_user, const char* requested_profile,
                                                int32_t with_extra_text) {
    if (output != NULL) {
        output->length = 0;
        output->value = NULL;
    }
    if (info == NULL || info->second_name == NULL || info->default_user == NULL || output == NULL ||
        primary_name == NULL) {
        return finish(minor, QXNEGO_FW_E_INVALID_ARGUMENT, GSSP_S_FAILURE);
    }
    const bool lists = info->kind != QXAT_KIND_NO_LISTS;
    char** names = lists ? info->name_list : NULL;
    char** profiles = lists ? info->profile_list : NULL;
    char** users = lists ? info->user_list : NULL;
    const size_t name_count = count_list(names);
    const size_t profile_count = count_list(profiles);
    size_t user_count = count_list(users);
    bool extuser_removed = false;
    user_count = remove_extuser(users, user_count, &extuser_removed);

    const char* profile = NULL;
    if (!choose(requested_profile, profiles, profile_count, NULL, &profile)) {
        return finish(minor, 0, GSSP_S_FAILURE);
    }
    const char* user = NULL;
    bool default_user = false;
    if (requested_user != NULL && extuser_removed && equal_ignore_case(requested_user, "extuser")) {
        user = info->default_user;
        default_user = true;
    } else {
        if (!choose(requested_user, users, user_count, info->default_user, &user)) {
            return finish(minor, 0, GSSP_S_FAILURE);
        }
        default_user = requested_user == NULL && user_count == 0;
    }

    // Records before the flags record, the profile and name entries, then the rest.
    const size_t primary_length = strlen(primary_name);
    const PendingRecord head[] = {
        {QXAT_PROP_USER, user, strlen(user), kTerminator},
        {QXAT_PROP_OPTIONAL_NAME, optional_name, optional_name != NULL ? strlen(optional_name) : 0, kTerminator},
    };
    const size_t head_count = optional_name != NULL ? 2 : 1;
    const PendingRecord profile_record = {QXAT_PROP_PROFILE, profile, profile != NULL ? strlen(profile) : 0,
                                          kTerminator};
    const bool extra = with_extra_text != 0 && info->extra_text != NULL;
    const PendingRecord tail[] = {
        {QXAT_PROP_PRIMARY_NAME, primary_name, primary_length, kNoTerminator},
        {QXAT_PROP_PRIMARY_NAME_TERM, primary_name, primary_length, kTerminator},
        {QXAT_PROP_SECOND_NAME, info->second_name, strlen(info->second_name), kNoTerminator},
        {QXAT_PROP_EXTRA_TEXT, info->extra_text, extra ? strlen(info->extra_text) : 0, kNoTerminator},
    };
    const size_t tail_count = extra ? 4 : 3;

    uint64_t total = QXAT_PROPERTY_FLAGS_SIZE;
    uint64_t part = records_size(head, head_count);
    bool too_long = part == 0;
    total += part;
    if (profile != NULL) {
        part = records_size(&profile_record, 1);
        too_long = too_long || part == 0;
        total += part;
    }
    for (size_t i = 0; i < name_count; ++i) {
        const PendingRecord r = {QXAT_PROP_NAME_ENTRY, names[i], strlen(names[i]), kTerminator};
        part = records_size(&r, 1);
        too_long = too_long || part == 0;
        total += part;
    }
    part = records_size(tail, tail_count);
    too_long = too_long || part == 0;
    total += part;
    if (too_long || total > SIZE_MAX) {
        return finish(minor, QXNEGO_FW_E_INVALID_ARGUMENT, GSSP_S_FAILURE);
    }

    unsigned char* bytes = (unsigned char*)qxnego_calloc(1, (size_t)total);
    if (bytes == NULL) {
        return finish(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    }
    unsigned char* p = put_records(bytes, head, head_count);
    p = put_flags(p, 1, default_user ? 1 : 0, 0);
    if (profile != NULL) {
        p = put_records(p, &profile_record, 1);
    }
    for (size_t i = 0; i < name_count; ++i) {
        const PendingRecord r = {QXAT_PROP_NAME_ENTRY, names[i], strlen(names[i]), kTerminator};
        p = put_records(p, &r, 1);
    }
    put_records(p, tail, tail_count);
    output->length = total;
    output->value = bytes;
    return finish(minor, QXGSS_MINOR_SUCCESS, GSSP_S_COMPLETE);
}

extern "C" gssp_status qxat_fill_mechinfo(gssp_status* minor, gssp_buffer_t existing, gssp_buffer_t output,
                                          const unsigned char* mech_flag, gssp_OID mech_oid) {
    if (output != NULL) {
        output->length = 0;
        output->value = NULL;
    }
    if (output == NULL || mech_flag == NULL || mech_oid == NULL) {
        return finish(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_FAILURE);
    }
    gssp_status framework_minor = 0;
    const char* name = NULL;
    const char* dotted = NULL;
    uint32_t der_length = 0;
    unsigned char* der = NULL;
    if (gssp_oid_to_mechstr(&framework_minor, mech_oid, &name) != GSSP_S_COMPLETE) {
        return finish(minor, framework_minor, GSSP_S_FAILURE);
    }
    if (name == NULL) {
        return finish(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_FAILURE);
    }
    if (gssp_mechstr_to_oidstr(&framework_minor, name, &dotted) != GSSP_S_COMPLETE) {
        return finish(minor, framework_minor, GSSP_S_FAILURE);
    }
    if (dotted == NULL) {
        return finish(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_FAILURE);
    }
    if (gssp_oidstr_to_oidder(&framework_minor, 0, 0, dotted, &der_length, &der) != GSSP_S_COMPLETE) {
        free(der);
        return finish(minor, framework_minor, GSSP_S_FAILURE);
    }
    if (der == NULL && der_length > 0) {
        return finish(minor, QXNEGO_E_INVALID_INPUT, GSSP_S_FAILURE);
    }

    // The flags records of the existing buffer that can take the flag byte.
    unsigned char* existing_bytes = existing != NULL ? (unsigned char*)existing->value : NULL;
    const uint64_t existing_size = existing != NULL ? existing->length : 0;
    bool has_flags = false;
    uint64_t offset = 0;
    PropertyRecordView view;
    while (qxat_next_property_record(existing_bytes, existing_size, &offset, &view)) {
        if (view.header.type == QXAT_PROP_FLAGS && view.header.length >= QXAT_PROPERTY_HEADER_SIZE + 2) {
            has_flags = true;
        }
    }

    const PendingRecord records[] = {
        {QXAT_PROP_MECH_NAME, name, strlen(name), kTerminator},
        {QXAT_PROP_MECH_OID_TEXT, dotted, strlen(dotted), kTerminator},
        {QXAT_PROP_MECH_OID_DER, der, der_length, kTerminator},
    };
    const uint64_t size = records_size(records, 3);
    if (size == 0) {
        free(der);
        return finish(minor, QXNEGO_FW_E_INVALID_ARGUMENT, GSSP_S_FAILURE);
    }
    const uint64_t total = size + (has_flags ? 0 : QXAT_PROPERTY_FLAGS_SIZE);
    unsigned char* bytes = (unsigned char*)qxnego_calloc(1, (size_t)total);
    if (bytes == NULL) {
        free(der);
        return finish(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    }

    offset = 0;
    while (qxat_next_property_record(existing_bytes, existing_size, &offset, &view)) {
        if (view.header.type == QXAT_PROP_FLAGS && view.header.length >= QXAT_PROPERTY_HEADER_SIZE + 2) {
            unsigned char* record = existing_bytes + view.offset;
            put16(record + 4, 2);
            record[QXAT_PROPERTY_HEADER_SIZE + 1] = *mech_flag;
        }
    }
    unsigned char* p = bytes;
    if (!has_flags) {
        p = put_flags(p, 2, 0, *mech_flag);
    }
    put_records(p, records, 3);
    free(der);
    output->length = total;
    output->value = bytes;
    return finish(minor, QXGSS_MINOR_SUCCESS, GSSP_S_COMPLETE);
}
