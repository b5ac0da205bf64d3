// The negotiation log: creating it, appending records, rendering it as text
// and releasing it. Every text the log itself writes is in the table below.
#include "neg_log.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "mechanism_status.h"
#include "neg_mech.h"
#include "plugin_memory.h"
#include "qxnego_platform.h"

namespace {

// ---- The log's texts -------------------------------------------------------

const char kWarningText[] = "QXNEGO_INT_NegLogEntry: ***WARNING*** No information provided for logging.";
const char kNoRecords[] = "\nNo records found in Negotiation Log.\n\n";

const char kHeaderTitle[] = "\nQXNEGO Negotiation Log\n\n";
const char kHeaderSpacer[] = "\n";
const char kHeaderPackage[] = "Package: %s\n";
const char kHeaderVersion[] = "Version: %s\n";
const char kHeaderHost[] = "Run on:  %s\n";
const char kHeaderTime[] = "Run at:  %s\n";
const char kPackageName[] = "Nimbral";
const char kPackageVersion[] = "15.10.01.00";

const char kRecordInit[] = "Record %d: QXNEGO_init_sec_context call %d\n";
const char kRecordAccept[] = "Record %d: QXNEGO_accept_sec_context call %d\n";
const char kText[] = "   Text:             %s\n";
const char kMechanism[] = "   Mechanism:        %s\n";
const char kMechanismOid[] = "   Mechanism OID:    %s\n";
const char kMechanismOidUnprintable[] = "   Mechanism OID:    <Unable to print OID>\n";
const char kMechState[] = "   MechState:        %s\n";
const char kMechStateInvalid[] = "   MechState:        Invalid MechState (%d)\n";
const char kMechReason[] = "   MechReason:       %s\n";
const char kMechReasonInvalid[] = "   MechReason:       Invalid MechReason (%d)\n";
const char kMajorStatus[] = "   GSS MajorStatus:  %08X\n";
const char kMinorStatus[] = "   GSS MinorStatus:  %08X\n";
const char kMinorStatusText[] = "   GSS MinorStatusText:  %*.*s\n";
const char kEstablishedTrue[] = "   IsCtxEstablished: TRUE\n";
const char kEstablishedFalse[] = "   IsCtxEstablished: FALSE\n";
const char kPolicyTrue[] = "   IsPolicyApplied:  TRUE\n";
const char kPolicyFalse[] = "   IsPolicyApplied:  FALSE\n";
const char kNegState[] = "   NegState:         %s\n";
const char kNegStateInvalid[] = "   NegState:         Invalid NegState (%d)\n";
const char kNegStateFromPeer[] = "   NegStateFromPeer: %s\n";
const char kNegStateFromPeerInvalid[] = "   NegStateFromPeer: Invalid NegState (%d)\n";
// The elapsed time is unsigned 32-bit and printed as such on every platform.
const char kElapsed[] = "   Elapsed Time:     %lu ms\n";
const char kBlockEnd[] = "\n";

const char* const kMechStateNames[] = {nullptr, "Available", "Selected", "Rejected"};
const char* const kMechReasonNames[] = {nullptr,
                                        "Available",
                                        "GSSAPI Error",
                                        "Not Available at Client",
                                        "Not Available at Server",
                                        "Due to Policy",
                                        "Due to Rank",
                                        "Single Sign-On Required",
                                        "Authentication ID not Available"};
const char* const kNegStateNames[] = {nullptr, "Completed", "Incomplete", "Reject", "Request MIC"};

// The name for value 1 .. count-1 of a table, or null.
const char* name_of(const char* const* names, size_t count, uint32_t value) {
    return value >= 1 && value < count ? names[value] : nullptr;
}

#define QXNEGO_COUNT(array) (sizeof(array) / sizeof((array)[0]))

// ---- Status ----------------------------------------------------------------

gssp_status report(gssp_status* minor, uint32_t minor_value, gssp_status major) {
    if (minor != nullptr) {
        *minor = minor_value;
    }
    return major;
}

// ---- Appending -------------------------------------------------------------

char* copy_text(const char* text) {
    size_t n = strlen(text) + 1;
    char* copy = (char*)qxnego_malloc(n);
    if (copy != nullptr) {
        memcpy(copy, text, n);
    }
    return copy;
}

// Makes room for one more record: a new zeroed array 16 records larger, the
// records copied over. On failure the log is unchanged.
bool grow(NegLog* log) {
    if (log->capacity > UINT32_MAX - QXNEGO_NEG_LOG_GROWTH) {
        return false;
    }
    uint32_t capacity = log->capacity + QXNEGO_NEG_LOG_GROWTH;
    NegLogRecord* records = (NegLogRecord*)qxnego_calloc(capacity, sizeof(NegLogRecord));
    if (records == nullptr) {
        return false;
    }
    memcpy(records, log->records, (size_t)log->count * sizeof(NegLogRecord));
    qxnego_free(log->records);
    log->records = records;
    log->capacity = capacity;
    return true;
}

// ---- Rendering -------------------------------------------------------------

// Writes lines into one buffer, section by section (the header, each record
// block): a section takes at most its limit, and a line that does not fit
// ends the section at the last complete line.
struct TextWriter {
    char* text;
    size_t length;
    size_t capacity;
    size_t section_start;
    size_t section_limit;
    bool section_closed;
};

void begin_section(TextWriter* w, size_t limit) {
    w->section_start = w->length;
    size_t room = w->capacity - w->length;
    w->section_limit = limit < room ? limit : room;
    w->section_closed = false;
}

void put_line(TextWriter* w, const char* format, ...) {
    if (w->section_closed) {
        return;
    }
    char line[QXNEGO_NEG_LOG_BLOCK_SIZE + 1];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    size_t used = w->length - w->section_start;
    if (n < 0 || (size_t)n >= sizeof line || used + (size_t)n > w->section_limit) {
        w->section_closed = true;
        return;
    }
    memcpy(w->text + w->length, line, (size_t)n);
    w->length += (size_t)n;
}

// The OID's bytes as lowercase hexadecimal pairs joined by ".", at most 127
// characters; false when there is nothing to print.
bool oid_text(const gssp_OID_desc* oid, char text[128]) {
    if (oid->length == 0 || oid->elements == nullptr) {
        return false;
    }
    const unsigned char* bytes = (const unsigned char*)oid->elements;
    size_t n = 0;
    for (uint32_t i = 0; i < oid->length; ++i) {
        size_t width = i == 0 ? 2 : 3;
        if (n + width > 127) {
            break;
        }
        snprintf(text + n, 128 - n, i == 0 ? "%02x" : ".%02x", bytes[i]);
        n += width;
    }
    text[n] = '\0';
    return true;
}

// The configured name of a mechanism in the framework's table, or null.
const char* mechanism_name(int32_t index) {
    if (index < 0 || (uint32_t)index >= MechCount || pMechInfo == nullptr) {
        return nullptr;
    }
    return pMechInfo[index].name;
}

void put_header(TextWriter* w) {
    begin_section(w, QXNEGO_NEG_LOG_BLOCK_SIZE);
    put_line(w, "%s", kHeaderTitle);
    put_line(w, "%s", kHeaderSpacer);
    put_line(w, kHeaderPackage, kPackageName);
    put_line(w, kHeaderVersion, kPackageVersion);
    char host[QXNEGO_HOST_NAME_SIZE];
    if (qxnego_platform.host_name(host, sizeof host) == 0) {
        host[sizeof host - 1] = '\0';
        put_line(w, kHeaderHost, host);
    }
    char now[QXNEGO_TIME_TEXT_SIZE];
    if (qxnego_platform.time_text(now, sizeof now) == 0) {
        now[sizeof now - 1] = '\0';
        put_line(w, kHeaderTime, now);
    }
}

void put_mechanism_lines(TextWriter* w, const NegLogRecord* r) {
    const char* name = r->mech_index != -1 ? mechanism_name(r->mech_index) : nullptr;
    char oid[128];
    if (name != nullptr) {
        put_line(w, kMechanism, name);
    } else if (oid_text(&r->mech_oid, oid)) {
        put_line(w, kMechanismOid, oid);
    } else {
        put_line(w, "%s", kMechanismOidUnprintable);
    }

    const char* state = name_of(kMechStateNames, QXNEGO_COUNT(kMechStateNames), r->mech_state);
    if (state != nullptr) {
        put_line(w, kMechState, state);
    } else {
        put_line(w, kMechStateInvalid, (int)r->mech_state);
    }
    const char* reason = name_of(kMechReasonNames, QXNEGO_COUNT(kMechReasonNames), r->mech_reason);
    if (reason != nullptr) {
        put_line(w, kMechReason, reason);
    } else {
        put_line(w, kMechReasonInvalid, (int)r->mech_reason);
    }

    if (r->mech_reason == QXNEGO_MECH_REASON_GSSAPI_ERROR) {
        put_line(w, kMajorStatus, (unsigned)r->major_status);
        put_line(w, kMinorStatus, (unsigned)r->minor_status);
        const gssp_buffer_desc* t = &r->minor_status_text;
        if (t->length != 0 && t->value != nullptr) {
            // A text longer than a block cannot fit: give the writer one
            // byte more than a block, which it refuses.
            int n = t->length > QXNEGO_NEG_LOG_BLOCK_SIZE ? (int)QXNEGO_NEG_LOG_BLOCK_SIZE + 1 : (int)t->length;
            put_line(w, kMinorStatusText, n, n, (const char*)t->value);
        }
    }
    put_line(w, "%s", r->is_ctx_established ? kEstablishedTrue : kEstablishedFalse);
}

void put_record(TextWriter* w, const NegLogRecord* r, uint32_t position) {
    begin_section(w, QXNEGO_NEG_LOG_BLOCK_SIZE);
    put_line(w, r->is_initiator ? kRecordInit : kRecordAccept, (int)position, (int)(r->call_number + 1u));
    if (r->text != nullptr) {
        put_line(w, kText, r->text);
    }
    if (r->mech_oid.elements != nullptr) {
        put_mechanism_lines(w, r);
    }
    put_line(w, "%s", r->is_policy_applied ? kPolicyTrue : kPolicyFalse);
    const char* neg = name_of(kNegStateNames, QXNEGO_COUNT(kNegStateNames), r->neg_state);
    if (neg != nullptr) {
        put_line(w, kNegState, neg);
    } else {
        put_line(w, kNegStateInvalid, (int)r->neg_state);
    }
    const char* peer = name_of(kNegStateNames, QXNEGO_COUNT(kNegStateNames), r->neg_state_from_peer);
    if (peer != nullptr) {
        put_line(w, kNegStateFromPeer, peer);
    } else {
        put_line(w, kNegStateFromPeerInvalid, (int)r->neg_state_from_peer);
    }
    put_line(w, kElapsed, (unsigned long)r->elapsed_ms);
    put_line(w, "%s", kBlockEnd);
}

}  // namespace

extern "C" gssp_status QXNEGO_INT_InitNegLog(gssp_status* minor, NegContext* context) {
    if (context == nullptr) {
        return report(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    }
    NegLog* log = &context->log;
    log->count = 0;
    log->capacity = 0;
    log->records = (NegLogRecord*)qxnego_calloc(QXNEGO_NEG_LOG_INITIAL_RECORDS, sizeof(NegLogRecord));
    if (log->records == nullptr) {
        return report(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    }
    log->capacity = QXNEGO_NEG_LOG_INITIAL_RECORDS;
    log->start_time = qxnego_platform.tick_count();
    return report(minor, QXNEGO_S_SUCCESS, GSSP_S_COMPLETE);
}

extern "C" gssp_status QXNEGO_INT_NegLogEntry(gssp_status* minor, const char* text, const NegMechEntry* entry,
                                              NegContext* context) {
    if (context == nullptr) {
        return report(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    }
    NegLog* log = &context->log;
    if (log->records == nullptr) {
        return report(minor, QXNEGO_E_NO_NEG_LOG, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    }
    if (log->count >= log->capacity && !grow(log)) {
        return report(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    }

    // The record is built aside and stored only once every step succeeded.
    NegLogRecord record;
    memset(&record, 0, sizeof record);
    record.is_initiator = context->IsInitiator;
    record.call_number = context->call_counter;
    record.is_policy_applied = context->IsPolicyApplied;
    record.neg_state = context->NegState;
    record.neg_state_from_peer = context->NegStateFromPeer;
    record.elapsed_ms = qxnego_platform.tick_count() - log->start_time;

    if (text != nullptr || entry == nullptr) {
        record.text = copy_text(text != nullptr ? text : kWarningText);
        if (record.text == nullptr) {
            return report(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
        }
    }

    if (entry != nullptr) {
        if (entry->oid == nullptr || entry->oid->length == 0 || entry->oid->elements == nullptr) {
            qxnego_free(record.text);
            return report(minor, QXNEGO_E_BAD_MECH_OID, GSSP_S_FAILURE);
        }
        record.mech_oid = *entry->oid;
        record.mech_state = entry->MechState;
        record.mech_reason = entry->MechReason;
        record.major_status = entry->major_status;
        record.minor_status = entry->minor_status;
        record.mech_index = entry->mech_index;
        record.is_ctx_established = entry->IsCtxEstablished;
        if (entry->status_text.length != 0 && entry->status_text.value != nullptr) {
            gssp_status dup_minor = 0;
            gssp_status major = gssp_duplicate_buffer(&dup_minor, &entry->status_text, &record.minor_status_text);
            if (major != GSSP_S_COMPLETE) {
                qxnego_free(record.text);
                return report(minor, dup_minor, major);
            }
        }
    }

    log->records[log->count] = record;
    log->count++;
    return report(minor, QXNEGO_S_SUCCESS, GSSP_S_COMPLETE);
}

extern "C" gssp_status QXNEGO_INT_RenderNegLog(gssp_status* minor, const NegContext* context, gssp_buffer_t output) {
    if (output == nullptr) {
        return report(minor, QXNEGO_E_NULL_BUFFER, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    }
    output->length = 0;
    output->value = nullptr;
    if (context == nullptr) {
        return report(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    }
    const NegLog* log = &context->log;
    if (log->records == nullptr) {
        return report(minor, QXNEGO_E_NO_NEG_LOG, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    }

    // One block for the header and one for each record.
    if ((uint64_t)log->count + 1u > (uint64_t)(SIZE_MAX / QXNEGO_NEG_LOG_BLOCK_SIZE)) {
        return report(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    }
    TextWriter w;
    memset(&w, 0, sizeof w);
    w.capacity = ((size_t)log->count + 1u) * QXNEGO_NEG_LOG_BLOCK_SIZE;
    w.text = (char*)qxnego_malloc(w.capacity);
    if (w.text == nullptr) {
        return report(minor, QXNEGO_E_MALLOC, GSSP_S_FAILURE);
    }

    put_header(&w);
    if (log->count == 0) {
        begin_section(&w, w.capacity - w.length);
        put_line(&w, "%s", kNoRecords);
    }
    for (uint32_t i = 0; i < log->count; ++i) {
        put_record(&w, &log->records[i], i);
    }

    // Shrink to the text; when that fails the larger buffer serves.
    char* text = w.text;
    if (w.length < w.capacity) {
        char* exact = (char*)qxnego_malloc(w.length > 0 ? w.length : 1);
        if (exact != nullptr) {
            memcpy(exact, w.text, w.length);
            qxnego_free(w.text);
            text = exact;
        }
    }
    output->value = text;
    output->length = w.length;
    return report(minor, QXNEGO_S_SUCCESS, GSSP_S_COMPLETE);
}

extern "C" gssp_status QXNEGO_INT_ReleaseNegLog(gssp_status* minor, NegContext* context) {
    if (context == nullptr) {
        return report(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_CALL_INACCESSIBLE_READ | GSSP_S_FAILURE);
    }
    NegLog* log = &context->log;
    gssp_status last_major = GSSP_S_COMPLETE;
    gssp_status last_minor = QXNEGO_S_SUCCESS;
    if (log->records != nullptr) {
        for (uint32_t i = 0; i < log->count; ++i) {
            NegLogRecord* r = &log->records[i];
            gssp_status release_minor = 0;
            gssp_status major = gssp_release_buffer(&release_minor, &r->minor_status_text);
            if (major != GSSP_S_COMPLETE) {
                last_major = major;
                last_minor = release_minor;
            }
            qxnego_free(r->text);
            r->text = nullptr;
        }
    }
    qxnego_free(log->records);
    log->records = nullptr;
    log->count = 0;
    log->capacity = 0;
    return report(minor, last_minor, last_major);
}
