// Who is logging on and which mechanisms that user may use.
//
// Client: the authentication ID, user and profile come from the logon data
// in the credential's name; without an authentication ID there, every
// mechanism that supports single sign-on is asked whose default credential
// it holds, and that user travels with the mechanism's report.
//
// Server: one user name is derived from what the client sent, the
// framework is asked for that user's allowed mechanisms, and every other
// mechanism is rejected.
//
// The context's buffers are given back with gssp_release_buffer, so what
// is stored there is always a framework copy (gssp_duplicate_buffer); the
// plug-in's own temporary strings are wiped and freed here.
#include "auth_policy.h"

#include <string.h>

#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "neg_log.h"
#include "neg_mech_list.h"
#include "plugin_memory.h"
#include "status_result.h"

namespace {

const uint32_t kLogonParseOptions = 7u;

bool HasText(const gssp_buffer_desc& b) {
    return b.length != 0 && b.value != nullptr;
}

// A NUL-terminated copy of a buffer's bytes from the plug-in's allocator,
// or null when there is no memory.
char* CopyText(const gssp_buffer_desc& b) {
    if (b.length >= (uint64_t)SIZE_MAX) return nullptr;
    const size_t n = (size_t)b.length;
    char* copy = (char*)qxnego_malloc(n + 1);
    if (copy == nullptr) return nullptr;
    if (n != 0) memcpy(copy, b.value, n);
    copy[n] = '\0';
    return copy;
}

// Logon texts may carry a password: every temporary copy is wiped first.
void WipeAndFree(char** text) {
    if (*text != nullptr) {
        qxnego_wipe(*text, strlen(*text) + 1);
        qxnego_free(*text);
        *text = nullptr;
    }
}

// A framework copy of a C string (length = its string length); empty for
// a null string.
gssp_status DuplicateText(gssp_status* minor, const char* text, gssp_buffer_desc* copy) {
    copy->length = 0;
    copy->value = nullptr;
    if (text == nullptr) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    const gssp_buffer_desc source = {strlen(text), const_cast<char*>(text)};
    return gssp_duplicate_buffer(minor, &source, copy);
}

// Puts value in place of what target held before.
void Replace(gssp_buffer_desc* target, const gssp_buffer_desc& value) {
    if (target->value != nullptr) {
        gssp_status ignored = 0;
        gssp_release_buffer(&ignored, target);
    }
    *target = value;
}

gssp_status Log(gssp_status* minor, const char* text, const NegMechEntry* entry, NegContext* context) {
    gssp_status m = 0;
    const gssp_status major = QXNEGO_INT_NegLogEntry(&m, text, entry, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Rejects an entry without a status of its own and logs why.
gssp_status Reject(gssp_status* minor, uint32_t reason, uint32_t major_status, uint32_t minor_status,
                   const char* text, NegMechEntry* entry, NegContext* context) {
    const gssp_status major =
        QXNEGO_INT_SetMechState(minor, QXNEGO_MECH_STATE_REJECTED, reason, major_status, minor_status, nullptr, entry);
    if (GSSP_ERROR(major)) return major;
    return Log(minor, text, entry, context);
}

const gssp_mech_info* MechInfo(int32_t index) {
    if (index < 0 || (uint32_t)index >= MechCount || pMechInfo == nullptr) return nullptr;
    return &pMechInfo[index];
}

// Gives a sub-mechanism's name back through that mechanism.
void ReleaseMechName(const gssp_mech_info* info, gssp_name_t* name) {
    if (*name == nullptr) return;
    gssp_status ignored = 0;
    if (info->release_name != nullptr) {
        info->release_name(&ignored, name);
    } else {
        gssp_release_name(&ignored, name);
    }
    *name = nullptr;
}

// The explicit logon data of the credential's name: user and profile go
// into the context; *has_authcid tells whether an authentication ID was
// there (and is now the context's). All three are stored or none.
gssp_status TakeLogonData(gssp_status* minor, const gssp_buffer_desc& logon_text, NegContext* context,
                          bool* has_authcid) {
    *has_authcid = false;
    char* logon = CopyText(logon_text);
    if (logon == nullptr) return qxnego_result(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    char* authcid = nullptr;
    char* user = nullptr;
    char* profile = nullptr;
    gssp_status m = 0;
    gssp_status major = qxat_parse_logon(&m, logon, nullptr, &authcid, nullptr, nullptr, nullptr, nullptr, &user,
                                         &profile, nullptr, kLogonParseOptions);
    WipeAndFree(&logon);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);

    gssp_buffer_desc copies[3] = {{0, nullptr}, {0, nullptr}, {0, nullptr}};
    const char* values[3] = {authcid, user, profile};
    bool present[3] = {false, false, false};
    for (int k = 0; k < 3 && !GSSP_ERROR(major); ++k) {
        present[k] = values[k] != nullptr;
        major = DuplicateText(&m, values[k], &copies[k]);
    }
    WipeAndFree(&authcid);
    WipeAndFree(&user);
    WipeAndFree(&profile);
    if (GSSP_ERROR(major)) {
        gssp_status ignored = 0;
        for (gssp_buffer_desc& b : copies) {
            if (b.value != nullptr) gssp_release_buffer(&ignored, &b);
        }
        return qxnego_result(minor, m, major);
    }
    if (present[1]) Replace(&context->user, copies[1]);
    if (present[2]) Replace(&context->profile, copies[2]);
    if (present[0]) Replace(&context->authentication_id, copies[0]);
    *has_authcid = present[0];
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Single sign-on for one entry: the user of the mechanism's own credential
// becomes the entry's authentication ID. *found is false when the mechanism
// cannot tell; a failure return is a hard failure (no memory).
gssp_status SsoAuthID(gssp_status* minor, NegMechEntry* entry, bool* found) {
    *found = false;
    const gssp_mech_info* info = MechInfo(entry->mech_index);
    if (info == nullptr || info->inquire_cred == nullptr) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    gssp_name_t name = nullptr;
    gssp_status m = 0;
    const gssp_status inquired = info->inquire_cred(&m, entry->credential, &name, nullptr, nullptr, nullptr);
    if (GSSP_ERROR(inquired) || name == nullptr || !HasText(name->text)) {
        ReleaseMechName(info, &name);
        return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    }
    char* text = CopyText(name->text);
    ReleaseMechName(info, &name);
    if (text == nullptr) return qxnego_result(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    char* id = nullptr;
    const gssp_status code = QXNEGO_INT_GetAuthIDFromName(text, &id);
    WipeAndFree(&text);
    if (code == QXNEGO_E_MALLOC) return qxnego_result(minor, code, GSSP_S_FAILURE);
    if (code != QXNEGO_S_SUCCESS) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    gssp_buffer_desc copy = {0, nullptr};
    const gssp_status major = DuplicateText(&m, id, &copy);
    WipeAndFree(&id);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    Replace(&entry->authentication_id, copy);
    *found = true;
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

gssp_status SingleSignOn(gssp_status* minor, NegContext* context) {
    gssp_status m = 0;
    for (uint32_t k = 0; k < context->mech_list.count; ++k) {
        NegMechEntry* e = &context->mech_list.entries[k];
        if (e->MechState != QXNEGO_MECH_STATE_AVAILABLE) continue;
        gssp_status major = 0;
        if (e->sso_supported == 0) {
            major = Reject(&m, QXNEGO_MECH_REASON_SSO_REQUIRED, 0, 0, QXNEGO_LOG_SSO_NOT_SUPPORTED, e, context);
        } else {
            bool found = false;
            major = SsoAuthID(&m, e, &found);
            if (!GSSP_ERROR(major) && found) context->sso = 1;
            if (!GSSP_ERROR(major) && !found)
                major = Reject(&m, QXNEGO_MECH_REASON_NO_AUTH_ID, 0, 0, QXNEGO_LOG_SSO_NO_AUTH_ID, e, context);
        }
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// The name the policy is asked for: the user when there is one, else the
// authentication ID (under single sign-on the first one a mechanism still
// in the running carries). Null when there is none.
const gssp_buffer_desc* PolicyUserName(const NegContext* context) {
    if (HasText(context->user)) return &context->user;
    const gssp_buffer_desc* candidate = &context->authentication_id;
    if (context->sso == 1) {
        for (uint32_t k = 0; k < context->mech_list.count; ++k) {
            const NegMechEntry& e = context->mech_list.entries[k];
            if (e.MechState != QXNEGO_MECH_STATE_REJECTED && HasText(e.authentication_id)) {
                candidate = &e.authentication_id;
                break;
            }
        }
    }
    return HasText(*candidate) ? candidate : nullptr;
}

// Rejects every entry outside the allowed set; *outside counts them,
// entries rejected before included.
gssp_status RejectOutsidePolicy(gssp_status* minor, const gssp_OID_set_desc* allowed, NegContext* context,
                                uint32_t* outside) {
    *outside = 0;
    for (uint32_t k = 0; k < context->mech_list.count; ++k) {
        NegMechEntry* e = &context->mech_list.entries[k];
        int present = 0;
        gssp_status test_minor = 0;
        const gssp_status test_major = gssp_test_oid_set_member(&test_minor, e->oid, allowed, &present);
        if (!GSSP_ERROR(test_major) && present) continue;
        ++*outside;
        if (e->MechState == QXNEGO_MECH_STATE_REJECTED) continue;
        const gssp_status major =
            Reject(minor, QXNEGO_MECH_REASON_POLICY, test_major, test_minor, QXNEGO_LOG_POLICY_DISALLOWED, e, context);
        if (GSSP_ERROR(major)) return major;
    }
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}

// Marks the policy applied with its log record; a failed record leaves it
// unapplied, so that the next accept call applies it again.
gssp_status MarkApplied(gssp_status* minor, const char* text, NegContext* context) {
    context->IsPolicyApplied = 1;
    const gssp_status major = Log(minor, text, nullptr, context);
    if (GSSP_ERROR(major)) context->IsPolicyApplied = 0;
    return major;
}

}  // namespace

extern "C" gssp_status QXNEGO_INT_SetAuthInfo(gssp_status* minor, const NegCredential* credential,
                                              NegContext* context) {
    if (context == nullptr) return qxnego_result(minor, QXNEGO_E_BAD_NEG_CONTEXT, GSSP_S_FAILURE);
    context->sso = 0;
    if (credential != nullptr && credential->name != nullptr && HasText(credential->name->text)) {
        bool has_authcid = false;
        gssp_status m = 0;
        const gssp_status major = TakeLogonData(&m, credential->name->text, context, &has_authcid);
        if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
        if (has_authcid) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    }
    return SingleSignOn(minor, context);
}

extern "C" gssp_status QXNEGO_INT_GetAuthIDFromName(const char* text, char** authentication_id) {
    if (authentication_id != nullptr) *authentication_id = nullptr;
    if (text == nullptr) return QXNEGO_E_UNKNOWN_PROPERTY;
    qxat_handle h = qxat_parse(text, kLogonParseOptions);
    if (h == nullptr) return QXNEGO_E_UNKNOWN_PROPERTY;
    gssp_status code = QXNEGO_E_UNKNOWN_PROPERTY;
    const qxat_item* user = qxat_get_count(h) == 1 ? qxat_get_user(h, 0) : nullptr;
    if (user != nullptr && user->text != nullptr && user->length != 0) {
        // Nothing past an embedded NUL belongs to the user.
        const void* nul = memchr(user->text, '\0', user->length);
        const size_t n = nul != nullptr ? (size_t)((const char*)nul - user->text) : user->length;
        if (n != 0) code = QXNEGO_S_SUCCESS;
        if (n != 0 && authentication_id != nullptr) {
            char* copy = (char*)qxnego_malloc(n + 1);
            if (copy == nullptr) {
                code = QXNEGO_E_MALLOC;
            } else {
                memcpy(copy, user->text, n);
                copy[n] = '\0';
                *authentication_id = copy;
            }
        }
    }
    qxat_free(h);
    return code;
}

extern "C" gssp_status QXNEGO_INT_Apply_Policy_Info(gssp_status* minor, NegContext* context) {
    if (context == nullptr)
        return qxnego_result(minor, QXNEGO_E_MEMORY_ACCESS, GSSP_S_CALL_INACCESSIBLE_WRITE | GSSP_S_FAILURE);
    if (context->IsPolicyApplied != 0) return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);

    const gssp_buffer_desc* name = PolicyUserName(context);
    if (name == nullptr) {
        const gssp_status major = MarkApplied(minor, QXNEGO_LOG_POLICY_NO_USER, context);
        return GSSP_ERROR(major) ? major : qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    }

    char* user = CopyText(*name);
    if (user == nullptr) return qxnego_result(minor, QXNEGO_E_CALLOC, GSSP_S_FAILURE);
    gssp_OID_set allowed = nullptr;
    gssp_status m = 0;
    gssp_status major = gssp_inquire_mech_policy_for_user(&m, user, &allowed);
    WipeAndFree(&user);
    gssp_status ignored = 0;
    if (GSSP_ERROR(major)) {
        if (allowed != nullptr) qxgss_release_oid_set(&ignored, &allowed);
        return qxnego_result(minor, m, major);
    }

    if (allowed == nullptr || allowed->count == 0) {
        if (allowed != nullptr) qxgss_release_oid_set(&ignored, &allowed);
        major = MarkApplied(minor, QXNEGO_LOG_POLICY_EMPTY, context);
        return GSSP_ERROR(major) ? major : qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
    }

    uint32_t outside = 0;
    major = RejectOutsidePolicy(&m, allowed, context, &outside);
    qxgss_release_oid_set(&ignored, &allowed);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    major = MarkApplied(&m, QXNEGO_LOG_POLICY_NON_EMPTY, context);
    if (GSSP_ERROR(major)) return qxnego_result(minor, m, major);
    if (outside == context->mech_list.count) return qxnego_result(minor, QXNEGO_E_NO_MECHS_AVAILABLE, GSSP_S_FAILURE);
    return qxnego_result(minor, QXNEGO_S_SUCCESS, 0);
}
