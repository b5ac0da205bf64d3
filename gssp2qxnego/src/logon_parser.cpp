// The logon-data parser qxat_parse_logon and the Kerberos logon-data check.
//
// A logon string is a sequence of blank-separated items: properties written
// as keyword=value, and, as the first item only, a bare principal. A string
// that begins with ",," carries a prefix value, read and dropped, that must
// be followed by a comma. A comma where an item would start ends the string.
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "framework_status.h"
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "plugin_memory.h"

namespace {

enum Output { kPrincipal, kAuthcid, kPassword, kRealm, kAuthzid, kMech, kUser, kProfile, kUserProperties, kOutputs };

struct Keyword {
    const char* text;
    size_t length;
    Output output;
    uint32_t duplicate_status;  // 0: a later value is ignored
};

const Keyword kKeywords[] = {
    {"authcid=", 8, kAuthcid, QXNEGO_E_MULTIPLE_AUTHCID},
    {"password=", 9, kPassword, 0},
    {"realm=", 6, kRealm, 0},
    {"authzid=", 8, kAuthzid, 0},
    {"mech=", 5, kMech, 0},
    {"user=", 5, kUser, QXNEGO_E_MULTIPLE_USER},
    {"profile=", 8, kProfile, QXNEGO_E_MULTIPLE_PROFILE},
    {"userproperties=", 15, kUserProperties, 0},
};

const uint32_t kOptionsFrameworkPrincipal = 7u;
const uint32_t kOptionSplitPassword = 2u;

// The outputs of one call; any slot may be null (not asked for).
struct Outputs {
    char** slot[kOutputs];
};

// The value reader's result.
struct Value {
    bool found;        // false: the string ended before a value began
    size_t length;     // bytes of the value in the working buffer
    const char* next;  // where reading goes on (at the NUL when the string ended)
};

// Reads one value starting at p into work (NUL-terminated there).
Value read_value(const char* p, char* work) {
    Value v = {false, 0, p};
    while (*p != '\0' && isspace((unsigned char)*p)) {
        ++p;
    }
    if (*p == '\0') {
        v.next = p;
        return v;
    }
    size_t n = 0;
    if (*p == '\'' || *p == '"') {
        const char quote = *p++;
        while (*p != '\0') {
            if (*p == quote) {
                if (p[1] != quote) {
                    ++p;  // the closing quote
                    break;
                }
                ++p;  // a doubled quote stands for one
            }
            work[n++] = *p++;
        }
    } else {
        while (*p != '\0' && (unsigned char)*p > 0x20 && *p != ',') {
            work[n++] = *p++;
        }
    }
    work[n] = '\0';
    while (*p != '\0' && (unsigned char)*p <= 0x20) {
        ++p;
    }
    v.found = true;
    v.length = n;
    v.next = p;
    return v;
}

// A NUL-terminated copy of n bytes, or null.
char* copy_text(const char* text, size_t n) {
    char* copy = (char*)qxnego_malloc(n + 1);
    if (copy != NULL) {
        memcpy(copy, text, n);
        copy[n] = '\0';
    }
    return copy;
}

void wipe_and_free(char** text) {
    if (*text != NULL) {
        qxnego_wipe(*text, strlen(*text) + 1);
        qxnego_free(*text);
        *text = NULL;
    }
}

// The keyword the item starts with; a keyword followed directly by the end
// of the string does not count.
const Keyword* match_keyword(const char* item) {
    for (const Keyword& k : kKeywords) {
        size_t i = 0;
        while (i < k.length && item[i] != '\0' && tolower((unsigned char)item[i]) == k.text[i]) {
            ++i;
        }
        if (i == k.length && item[i] != '\0') {
            return &k;
        }
    }
    return NULL;
}

// The text of a framework item without anything past an embedded NUL, or
// null when the item is absent or empty.
const char* item_text(const qxat_item* item, size_t* length) {
    if (item == NULL || item->text == NULL || item->length == 0) {
        return NULL;
    }
    const void* nul = memchr(item->text, '\0', item->length);
    *length = nul != NULL ? (size_t)((const char*)nul - item->text) : item->length;
    return *length > 0 ? item->text : NULL;
}

// Options 7: the principal goes through the framework's principal parser;
// it must name exactly one principal with a user.
uint32_t split_by_framework(const char* principal, Outputs* out) {
    qxat_handle h = qxat_parse(principal, kOptionsFrameworkPrincipal);
    uint32_t status = QXGSS_MINOR_SUCCESS;
    size_t user_length = 0;
    const char* user_text = h != NULL && qxat_get_count(h) == 1 ? item_text(qxat_get_user(h, 0), &user_length) : NULL;
    if (user_text == NULL) {
        status = QXNEGO_E_UNKNOWN_PROPERTY;
    }
    if (status == QXGSS_MINOR_SUCCESS && out->slot[kAuthcid] != NULL) {
        size_t realm_length = 0;
        const char* realm_text = item_text(qxat_get_realm(h, 0), &realm_length);
        char* authcid = NULL;
        if (realm_text == NULL) {
            authcid = copy_text(user_text, user_length);
        } else {
            authcid = (char*)qxnego_malloc(user_length + 1 + realm_length + 1);
            if (authcid != NULL) {
                snprintf(authcid, user_length + 1 + realm_length + 1, "%.*s@%.*s", (int)user_length, user_text,
                         (int)realm_length, realm_text);
            }
        }
        *out->slot[kAuthcid] = authcid;
        if (authcid == NULL) {
            status = QXNEGO_E_UNKNOWN_PROPERTY;
        }
    }
    if (status == QXGSS_MINOR_SUCCESS && out->slot[kPassword] != NULL) {
        size_t password_length = 0;
        const char* password_text = item_text(qxat_get_password(h, 0), &password_length);
        if (password_text != NULL) {
            *out->slot[kPassword] = copy_text(password_text, password_length);
            if (*out->slot[kPassword] == NULL) {
                status = QXNEGO_E_UNKNOWN_PROPERTY;
            }
        }
    }
    qxat_free(h);
    return status;
}

// Options with bit 1 (but not 7): identity "@@" password, split at the last
// pair; the password loses its escapes.
uint32_t split_at_double_at(const char* principal, size_t length, Outputs* out) {
    if (length < 2) {
        return QXNEGO_E_UNKNOWN_PROPERTY;
    }
    size_t at = length - 1;  // the pair is principal[at - 1], principal[at]
    while (at > 0 && !(principal[at] == '@' && principal[at - 1] == '@')) {
        --at;
    }
    if (at == 0 || at + 1 == length || at - 1 == 0) {
        return QXNEGO_E_UNKNOWN_PROPERTY;
    }
    const size_t identity_length = at - 1;
    const char* password_text = principal + at + 1;
    const size_t password_length = length - at - 1;
    if (out->slot[kPassword] != NULL) {
        char* password = copy_text(password_text, password_length);
        if (password == NULL) {
            return QXNEGO_E_MALLOC;
        }
        *out->slot[kPassword] = password;
        qxat_item item = {password, (uint32_t)password_length};
        if (password_length > UINT32_MAX || qxat_unescape(&item) != QXGSS_MINOR_SUCCESS || item.text != password ||
            item.length > password_length) {
            return QXNEGO_E_UNKNOWN_PROPERTY;
        }
        qxnego_wipe(password + item.length, password_length - item.length);
    }
    if (out->slot[kAuthcid] != NULL) {
        *out->slot[kAuthcid] = copy_text(principal, identity_length);
        if (*out->slot[kAuthcid] == NULL) {
            return QXNEGO_E_MALLOC;
        }
    }
    return QXGSS_MINOR_SUCCESS;
}

// The first item when it is no property: a bare principal.
uint32_t parse_principal(const char* work, size_t length, uint32_t options, Outputs* out) {
    if (out->slot[kPrincipal] != NULL && *out->slot[kPrincipal] == NULL) {
        *out->slot[kPrincipal] = copy_text(work, length);
        if (*out->slot[kPrincipal] == NULL) {
            return QXNEGO_E_MALLOC;
        }
    }
    if ((options & kOptionsFrameworkPrincipal) == kOptionsFrameworkPrincipal) {
        return split_by_framework(work, out);
    }
    if ((options & kOptionSplitPassword) != 0) {
        return split_at_double_at(work, length, out);
    }
    return QXGSS_MINOR_SUCCESS;
}

// One property: its value is copied to its output unless the output is not
// asked for or already holds a value.
uint32_t store_property(const Keyword* k, const char* work, size_t length, Outputs* out) {
    char** slot = out->slot[k->output];
    if (slot == NULL) {
        return QXGSS_MINOR_SUCCESS;
    }
    if (*slot != NULL) {
        return k->duplicate_status != 0 ? k->duplicate_status : QXGSS_MINOR_SUCCESS;
    }
    *slot = copy_text(work, length);
    return *slot != NULL ? QXGSS_MINOR_SUCCESS : QXNEGO_E_MALLOC;
}

uint32_t parse_items(const char* p, char* work, uint32_t options, Outputs* out) {
    for (int item = 1; *p != '\0'; ++item) {
        const Keyword* k = match_keyword(p);
        uint32_t status = QXGSS_MINOR_SUCCESS;
        if (k != NULL) {
            Value v = read_value(p + k->length, work);
            if (!v.found) {
                return QXNEGO_E_LOGON_SYNTAX;
            }
            status = store_property(k, work, v.length, out);
            p = v.next;
        } else if (*p == ',') {
            return QXGSS_MINOR_SUCCESS;
        } else if (item > 1) {
            return QXNEGO_E_UNKNOWN_PROPERTY;
        } else {
            Value v = read_value(p, work);
            if (!v.found) {
                return QXNEGO_E_LOGON_SYNTAX;
            }
            status = parse_principal(work, v.length, options, out);
            p = v.next;
        }
        if (status != QXGSS_MINOR_SUCCESS) {
            return status;
        }
        while (*p == ' ') {
            ++p;
        }
    }
    return QXGSS_MINOR_SUCCESS;
}

gssp_status finish(gssp_status* minor, uint32_t minor_value) {
    if (minor != NULL) {
        *minor = minor_value;
    }
    return minor_value == QXGSS_MINOR_SUCCESS ? GSSP_S_COMPLETE : GSSP_S_FAILURE;
}

}  // namespace

extern "C" gssp_status qxat_parse_logon(gssp_status* minor, const char* logon, char** principal, char** authcid,
                                        char** password, char** realm, char** authzid, char** mech, char** user,
                                        char** profile, char** userproperties, uint32_t options) {
    Outputs out = {{principal, authcid, password, realm, authzid, mech, user, profile, userproperties}};
    for (char** slot : out.slot) {
        if (slot != NULL) {
            *slot = NULL;
        }
    }
    if (logon == NULL) {
        return finish(minor, QXNEGO_FW_E_INVALID_ARGUMENT);
    }
    const size_t length = strlen(logon);
    char* work = (char*)qxnego_malloc(length + 1);
    if (work == NULL) {
        return finish(minor, QXNEGO_E_MALLOC);
    }
    const char* p = logon;
    uint32_t status = QXGSS_MINOR_SUCCESS;
    if (p[0] == ',' && p[1] == ',') {
        Value prefix = read_value(p + 2, work);
        if (!prefix.found || *prefix.next != ',') {
            status = QXNEGO_E_LOGON_SYNTAX;
        } else {
            p = prefix.next + 1;
        }
    }
    if (status == QXGSS_MINOR_SUCCESS) {
        status = parse_items(p, work, options, &out);
    }
    qxnego_wipe(work, length + 1);
    qxnego_free(work);
    if (status != QXGSS_MINOR_SUCCESS) {
        for (char** slot : out.slot) {
            if (slot != NULL) {
                wipe_and_free(slot);
            }
        }
    }
    return finish(minor, status);
}

extern "C" gssp_status qxat_validate_kerberos_logdata(gssp_status* minor, const char* logon) {
    if (logon == NULL) {
        return finish(minor, QXNEGO_FW_E_INVALID_ARGUMENT);
    }
    if (strstr(logon, "authcid=") != NULL || strstr(logon, "password=") != NULL) {
        return finish(minor, QXNEGO_E_UNKNOWN_PROPERTY);
    }
    return finish(minor, QXGSS_MINOR_SUCCESS);
}
