/* Exports of the negotiating mechanism plug-in gssp2qxnego: its status
 * messages, the logon-data parser and the user-property record builders.
 *
 * Every function returns a GSS major status and writes its minor status
 * through the first argument when that pointer is not null. The qxat_
 * helpers report framework minor codes (0x21000064 is success). */
#ifndef GSSP2QXNEGO_H
#define GSSP2QXNEGO_H

#include <stddef.h>
#include <stdint.h>

#include "qxgss_services.h"

/* GSSP2QXNEGO_BUILDING: compiling the plug-in itself.
 * GSSP2QXNEGO_STATIC: linking the plug-in's static core (tests, fuzzers). */
#ifdef _WIN32
#if defined(GSSP2QXNEGO_BUILDING)
#define GSSP2QXNEGO_API __declspec(dllexport)
#elif defined(GSSP2QXNEGO_STATIC)
#define GSSP2QXNEGO_API
#else
#define GSSP2QXNEGO_API __declspec(dllimport)
#endif
#else
#define GSSP2QXNEGO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Status messages ---------------------------------------------------- */

/* The mechanism's display_status entry point: the text of one of this
 * mechanism's minor status codes (status_type 2). */
GSSP2QXNEGO_API gssp_status QXNEGO_display_status(gssp_status* minor, uint32_t status_value, int status_type,
                                                  gssp_OID mech_type, uint32_t* message_context,
                                                  gssp_buffer_t status_string);

/* ---- Logon data ---------------------------------------------------------- */

/* Parses a logon string. Each output given is set to null first; on success
 * the outputs that were present hold separate malloc'd texts the caller frees.
 * On failure every output is null again (values are wiped before freeing).
 * Only bits 0 to 2 of options are read: 7 hands the bare principal to the
 * framework's principal parser, bit 1 alone splits it at its last "@@". */
GSSP2QXNEGO_API gssp_status qxat_parse_logon(gssp_status* minor, const char* logon, char** principal,
                                             char** authcid, char** password, char** realm, char** authzid,
                                             char** mech, char** user, char** profile, char** userproperties,
                                             uint32_t options);

/* Fails (0xE300042A) when the string holds "authcid=" or "password="
 * (case-sensitive). */
GSSP2QXNEGO_API gssp_status qxat_validate_kerberos_logdata(gssp_status* minor, const char* logon);

/* ---- User-property records ------------------------------------------------- */

/* A user-properties buffer holds records back to back, each starting with
 * this header (16-bit fields, machine byte order), then data_length bytes of
 * data, then zero fill up to length (a multiple of 4, header included). */
typedef struct PropertyRecord {
    uint16_t type;
    uint16_t length;
    uint16_t data_length;
} PropertyRecord;

#define QXAT_PROPERTY_HEADER_SIZE 6u
#define QXAT_PROPERTY_FLAGS_SIZE 16u

/* Record types. */
#define QXAT_PROP_PRIMARY_NAME 5      /* no terminator room */
#define QXAT_PROP_FLAGS 8             /* byte 0 default user, 1 mechanism flag, 2 policy applied */
#define QXAT_PROP_USER 9
#define QXAT_PROP_OPTIONAL_NAME 10
#define QXAT_PROP_SECOND_NAME 11      /* no terminator room */
#define QXAT_PROP_PRIMARY_NAME_TERM 12
#define QXAT_PROP_NAME_ENTRY 13
#define QXAT_PROP_PROFILE 14
#define QXAT_PROP_MECH_NAME 15
#define QXAT_PROP_MECH_OID_TEXT 16
#define QXAT_PROP_MECH_OID_DER 17
#define QXAT_PROP_EXTRA_TEXT 19       /* no terminator room */
#define QXAT_PROP_NEG_LOG 20

/* The input of qxat_fill_authorizations: what the authenticating mechanism
 * found for the user. Lists are null-terminated; the user list's entries are
 * malloc'd, and "extuser" entries are removed from it (and freed). */
typedef struct AuthorizationInfo {
    uint32_t kind;            /* 1: no lists (the three lists are not read) */
    const char* extra_text;   /* may be null */
    void* reserved;           /* not read */
    const char* second_name;  /* required */
    const char* default_user; /* required */
    char** name_list;         /* may be null */
    char** profile_list;      /* may be null */
    char** user_list;         /* may be null; changed in place */
} AuthorizationInfo;

#define QXAT_KIND_NO_LISTS 1u

/* Builds the authorization records for the chosen user and profile into
 * output (newly allocated; the caller frees output->value). A requested user
 * or profile that is not allowed fails with minor 0. */
GSSP2QXNEGO_API gssp_status qxat_fill_authorizations(gssp_status* minor, gssp_buffer_t output, const char* primary_name,
                                                     const char* optional_name, AuthorizationInfo* info,
                                                     const char* requested_user, const char* requested_profile,
                                                     int32_t with_extra_text);

/* Builds the records that name the mechanism (name, dotted OID, DER) into
 * output, and sets the mechanism flag in every flags record of existing
 * (which may be null); a flags record is added to output only when existing
 * has none. */
GSSP2QXNEGO_API gssp_status qxat_fill_mechinfo(gssp_status* minor, gssp_buffer_t existing, gssp_buffer_t output,
                                               const unsigned char* mech_flag, gssp_OID mech_oid);

/* ---- Walking a user-properties buffer -------------------------------------- */

/* One record as found in a buffer: its header, where it starts, and how much
 * of its data lies inside the record (data_length may claim more). */
typedef struct PropertyRecordView {
    PropertyRecord header;
    uint64_t offset;
    const unsigned char* data;
    uint16_t data_size;
} PropertyRecordView;

/* Gives the record at *offset and moves *offset past it; 0 at the end of
 * the buffer or at a record that cannot be whole (header past the end, a
 * length shorter than the header or running past the end). */
static inline int qxat_next_property_record(const unsigned char* bytes, uint64_t size, uint64_t* offset,
                                            PropertyRecordView* record) {
    uint64_t at = *offset;
    if (bytes == NULL || at > size || size - at < QXAT_PROPERTY_HEADER_SIZE) {
        return 0;
    }
    const unsigned char* p = bytes + at;
    PropertyRecord h;
    h.type = (uint16_t)(p[0] | (p[1] << 8));
    h.length = (uint16_t)(p[2] | (p[3] << 8));
    h.data_length = (uint16_t)(p[4] | (p[5] << 8));
    if (h.length < QXAT_PROPERTY_HEADER_SIZE || h.length > size - at) {
        return 0;
    }
    uint16_t room = (uint16_t)(h.length - QXAT_PROPERTY_HEADER_SIZE);
    record->header = h;
    record->offset = at;
    record->data = p + QXAT_PROPERTY_HEADER_SIZE;
    record->data_size = h.data_length < room ? h.data_length : room;
    *offset = at + h.length;
    return 1;
}

#ifdef __cplusplus
}
#endif

#endif
