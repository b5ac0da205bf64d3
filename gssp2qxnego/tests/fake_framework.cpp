// The fake framework: the principal parser with the framework's principal
// syntax, and a table of three mechanisms for the OID calls.
//
// Principal syntax (qxat_parse with options 7): principals separated by ";";
// each is user[@realm][:password]. The first unescaped "@" starts the realm,
// the first unescaped ":" after the user (and realm) starts the password.
// A backslash escapes the next character; a trailing lone backslash, an
// empty text or an empty principal make the text invalid (null). Items come
// back unescaped; an empty part is absent (null).
#include "fake_framework.h"

#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

namespace {

unsigned char kQxnegoBytes[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0xFD, 0x59, 0x01, 0x01};
unsigned char kQxkrbBytes[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0xFD, 0x59, 0x01, 0x02};
unsigned char kExtraBytes[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0xFD, 0x59, 0x01, 0x09};
unsigned char kUnknownBytes[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0xFD, 0x59, 0x01, 0x63};

struct Failure {
    gssp_status major;
    gssp_status minor;
};
std::map<std::string, Failure> g_failures;
std::map<std::string, bool> g_null_results;
std::string g_extra_name = "QXEXTRA";
int g_parse_handles = 0;
int g_free_calls = 0;
int g_live_handles = 0;

struct Mech {
    const char* name;
    gssp_OID oid;
    const char* dotted;
};

std::vector<Mech> mechs();

bool failing(const char* call, gssp_status* minor, gssp_status* major) {
    auto it = g_failures.find(call);
    if (it == g_failures.end()) {
        return false;
    }
    if (minor != NULL) {
        *minor = it->second.minor;
    }
    *major = it->second.major;
    return true;
}

bool null_result(const char* call) {
    return g_null_results.count(call) != 0;
}

gssp_status ok(gssp_status* minor) {
    if (minor != NULL) {
        *minor = QXGSS_MINOR_SUCCESS;
    }
    return GSSP_S_COMPLETE;
}

gssp_status bad(gssp_status* minor) {
    if (minor != NULL) {
        *minor = 0xE1000068u;
    }
    return GSSP_S_BAD_MECH;
}

bool same(const gssp_OID_desc* a, const gssp_OID_desc* b) {
    return a != NULL && a->length == b->length && a->elements != NULL &&
           memcmp(a->elements, b->elements, a->length) == 0;
}

}  // namespace

extern "C" {

gssp_OID_desc fake_qxnego_oid = {sizeof kQxnegoBytes, kQxnegoBytes};
gssp_OID_desc fake_qxkrb_oid = {sizeof kQxkrbBytes, kQxkrbBytes};
gssp_OID_desc fake_extra_oid = {sizeof kExtraBytes, kExtraBytes};
gssp_OID_desc fake_unknown_oid = {sizeof kUnknownBytes, kUnknownBytes};

}

namespace {

std::vector<Mech> mechs() {
    return {{"QXNEGO", &fake_qxnego_oid, FAKE_QXNEGO_DOTTED},
            {"QXKRB", &fake_qxkrb_oid, FAKE_QXKRB_DOTTED},
            {g_extra_name.c_str(), &fake_extra_oid, FAKE_EXTRA_DOTTED}};
}

}  // namespace

extern "C" {

void fake_fail_call(const char* call, gssp_status major, gssp_status minor) {
    g_failures[call] = Failure{major, minor};
}

void fake_null_result(const char* call) {
    g_null_results[call] = true;
}

void fake_set_extra_mech_name(const char* name) {
    g_extra_name = name;
}

void fake_reset(void) {
    g_failures.clear();
    g_null_results.clear();
    g_extra_name = "QXEXTRA";
    g_parse_handles = 0;
    g_free_calls = 0;
}

int fake_parse_handles(void) {
    return g_parse_handles;
}

int fake_free_calls(void) {
    return g_free_calls;
}

int fake_live_handles(void) {
    return g_live_handles;
}

gssp_status gssp_mechstr_to_oid(gssp_status* minor, const char* name, gssp_OID* oid) {
    gssp_status major = 0;
    if (failing("gssp_mechstr_to_oid", minor, &major)) {
        return major;
    }
    for (const Mech& m : mechs()) {
        if (name != NULL && strcmp(name, m.name) == 0) {
            *oid = null_result("gssp_mechstr_to_oid") ? NULL : m.oid;
            return ok(minor);
        }
    }
    return bad(minor);
}

gssp_status gssp_oid_to_mechstr(gssp_status* minor, const gssp_OID_desc* oid, const char** name) {
    gssp_status major = 0;
    if (failing("gssp_oid_to_mechstr", minor, &major)) {
        return major;
    }
    static std::string kept;  // the extra name may change; hand out a stable copy
    for (const Mech& m : mechs()) {
        if (same(oid, m.oid)) {
            kept = m.name;
            *name = null_result("gssp_oid_to_mechstr") ? NULL : kept.c_str();
            return ok(minor);
        }
    }
    return bad(minor);
}

gssp_status gssp_mechstr_to_oidstr(gssp_status* minor, const char* name, const char** dotted) {
    gssp_status major = 0;
    if (failing("gssp_mechstr_to_oidstr", minor, &major)) {
        return major;
    }
    for (const Mech& m : mechs()) {
        if (name != NULL && strcmp(name, m.name) == 0) {
            *dotted = null_result("gssp_mechstr_to_oidstr") ? NULL : m.dotted;
            return ok(minor);
        }
    }
    return bad(minor);
}

// The DER encoding (tag, length, content) of a known dotted OID, in malloc'd bytes.
gssp_status gssp_oidstr_to_oidder(gssp_status* minor, uint32_t, uint32_t, const char* dotted, uint32_t* length,
                                  unsigned char** der) {
    gssp_status major = 0;
    if (failing("gssp_oidstr_to_oidder", minor, &major)) {
        return major;
    }
    for (const Mech& m : mechs()) {
        if (dotted != NULL && strcmp(dotted, m.dotted) == 0) {
            if (null_result("gssp_oidstr_to_oidder")) {
                *length = 5;
                *der = NULL;
                return ok(minor);
            }
            *length = m.oid->length + 2;
            *der = (unsigned char*)malloc(*length);
            (*der)[0] = 0x06;
            (*der)[1] = (unsigned char)m.oid->length;
            memcpy(*der + 2, m.oid->elements, m.oid->length);
            return ok(minor);
        }
    }
    return bad(minor);
}

}  // extern "C"

// ---- Logon data -----------------------------------------------------------

struct qxat_parsed {
    struct Principal {
        std::string part[3];  // user, realm, password
        qxat_item item[3];
    };
    std::vector<Principal> principals;
};

namespace {

enum Part { kUser, kRealm, kPassword };

// Parses one principal of text[begin, end); false when it ends in a lone backslash.
bool parse_principal(const char* text, size_t begin, size_t end, qxat_parsed::Principal* out) {
    Part part = kUser;
    for (size_t i = begin; i < end; ++i) {
        char c = text[i];
        if (c == '\\') {
            if (i + 1 == end) {
                return false;
            }
            out->part[part] += text[++i];
        } else if (c == '@' && part == kUser) {
            part = kRealm;
        } else if (c == ':' && part != kPassword) {
            part = kPassword;
        } else {
            out->part[part] += c;
        }
    }
    return true;
}

qxat_item* get_item(qxat_handle h, uint32_t principal, Part part) {
    if (h == NULL || principal >= h->principals.size()) {
        return NULL;
    }
    qxat_parsed::Principal& p = h->principals[principal];
    if (p.part[part].empty()) {
        return NULL;
    }
    p.item[part].text = &p.part[part][0];
    p.item[part].length = (uint32_t)p.part[part].size();
    return &p.item[part];
}

}  // namespace

extern "C" {

qxat_handle qxat_parse(const char* text, uint32_t) {
    if (text == NULL || *text == '\0') {
        return NULL;
    }
    qxat_handle h = new qxat_parsed;
    size_t length = strlen(text);
    size_t begin = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && text[i] == '\\') {
            if (i + 1 == length) {
                delete h;  // a trailing lone backslash
                return NULL;
            }
            ++i;  // the escaped character
            continue;
        }
        if (i == length || text[i] == ';') {
            qxat_parsed::Principal p;
            if (i == begin || !parse_principal(text, begin, i, &p)) {
                delete h;
                return NULL;
            }
            h->principals.push_back(p);
            begin = i + 1;
        }
    }
    ++g_parse_handles;
    ++g_live_handles;
    return h;
}

uint32_t qxat_get_count(qxat_handle h) {
    return h != NULL ? (uint32_t)h->principals.size() : 0;
}

qxat_item* qxat_get_user(qxat_handle h, uint32_t principal) {
    return get_item(h, principal, kUser);
}

qxat_item* qxat_get_realm(qxat_handle h, uint32_t principal) {
    return get_item(h, principal, kRealm);
}

qxat_item* qxat_get_password(qxat_handle h, uint32_t principal) {
    return get_item(h, principal, kPassword);
}

uint32_t qxat_unescape(qxat_item* item) {
    if (item == NULL || (item->text == NULL && item->length > 0)) {
        return 0xE10000CDu;
    }
    uint32_t out = 0;
    for (uint32_t i = 0; i < item->length; ++i) {
        if (item->text[i] == '\\' && i + 1 < item->length) {
            ++i;
        }
        item->text[out++] = item->text[i];
    }
    item->length = out;
    return QXGSS_MINOR_SUCCESS;
}

void qxat_free(qxat_handle h) {
    ++g_free_calls;
    if (h != NULL) {
        --g_live_handles;
        delete h;
    }
}

}  // extern "C"
