#include "names.hpp"

#include "gssapi.hpp"

#include <cstring>
#include <memory>

#include "status.hpp"

namespace qxkrb5 {
namespace {

// Initiators aim at this host-based service when their caller names no target.
constexpr char kDefaultTarget[] = "host@localhost";

bool SameOid(const gssp_OID_desc* a, const gssp_OID_desc* b) {
    int different = 1;
    return a && b && !GSSP_ERROR(gssp_compare_oids(nullptr, a, b, &different)) && different == 0;
}

bool IsLogonDataType(const gssp_OID_desc* type) {
    for (const gssp_OID known : {GSS_C_NT_QXAT_MECHDATA, GSS_C_NT_QXAT_MECHDATA_UTF8, GSS_C_NT_QXAT_MECHDATA_UTF16,
                                 GSS_C_NT_QXAT_MECHDATA_UTF32}) {
        if (SameOid(type, known)) return true;
    }
    return false;
}

// A principal part with the characters the library's principal syntax
// treats specially inside it escaped.
void AppendEscaped(std::string& out, const qxat_item* part) {
    for (uint32_t i = 0; i < part->length; ++i) {
        const char c = part->text[i];
        if (c == '@' || c == '\\') out += '\\';
        out += c;
    }
}

struct ParsedFree {
    void operator()(qxat_parsed* h) const { qxat_free(h); }
};

// The framework's host-based service name type as the library's descriptor.
gss_OID_desc HostBasedService() {
    return {GSS_C_NT_HOSTBASED_SERVICE->length, GSS_C_NT_HOSTBASED_SERVICE->elements};
}

gssp_status Import(gssp_status* minor, const std::string& text, gss_OID type, GssName* to) {
    gss_buffer_desc view = {text.size(), const_cast<char*>(text.data())};
    OM_uint32 m = 0;
    const OM_uint32 major = gss_import_name(&m, &view, type, to->out());
    return Report(minor, major, m);
}

// The logon data's first principal, as "user[@realm]" and its password.
gssp_status ImportLogonData(gssp_status* minor, const gssp_name_desc& from, ImportedName* to) {
    gssp_buffer_desc utf8 = {0, nullptr};
    const uint32_t request[3] = {0, 1, 0};
    gssp_status major = gssp_convertname_utf(minor, &from, &utf8, request);
    if (GSSP_ERROR(major)) return major;
    std::string text(static_cast<const char*>(utf8.value), static_cast<size_t>(utf8.length));
    gssp_release_secure_buffer(nullptr, &utf8);
    // A NUL inside the text would cut the principal short unseen.
    const bool has_nul = text.find('\0') != std::string::npos;
    std::unique_ptr<qxat_parsed, ParsedFree> parsed(has_nul ? nullptr : qxat_parse(text.c_str(), 0));
    Wipe(text);
    const qxat_item* user = parsed ? qxat_get_user(parsed.get(), 0) : nullptr;
    if (!user || user->length == 0) return Report(minor, GSS_S_BAD_NAME, kMinorNameNotConvertible);

    std::string principal;
    AppendEscaped(principal, user);
    if (const qxat_item* realm = qxat_get_realm(parsed.get(), 0)) {
        principal += '@';
        AppendEscaped(principal, realm);
    }
    if (const qxat_item* password = qxat_get_password(parsed.get(), 0)) {
        to->has_password = true;
        to->password.assign(password->text, password->length);
    }
    return Import(minor, principal, GSS_C_NT_USER_NAME, &to->name);
}

}  // namespace

void Wipe(std::string& text) {
    volatile char* p = text.empty() ? nullptr : &text[0];
    for (size_t i = 0; i < text.size(); ++i) p[i] = 0;
    text.clear();
}

ImportedName::~ImportedName() { Wipe(password); }

gssp_status ImportName(gssp_status* minor, const gssp_name_desc& from, ImportedName* to) {
    if (from.text.length && !from.text.value) return Report(minor, GSS_S_BAD_NAME, kMinorInvalidArgument);
    if (SameOid(from.name_type, GSS_C_NT_HOSTBASED_SERVICE)) {
        const std::string text(static_cast<const char*>(from.text.value), static_cast<size_t>(from.text.length));
        if (text.empty() || text.find('\0') != std::string::npos)
            return Report(minor, GSS_S_BAD_NAME, kMinorNameNotConvertible);
        gss_OID_desc type = HostBasedService();
        return Import(minor, text, &type, &to->name);
    }
    if (IsLogonDataType(from.name_type)) return ImportLogonData(minor, from, to);
    return Report(minor, GSS_S_BAD_NAMETYPE, kMinorNameNotConvertible);
}

gssp_status ImportDefaultTarget(gssp_status* minor, GssName* to) {
    gss_OID_desc type = HostBasedService();
    return Import(minor, kDefaultTarget, &type, to);
}

gssp_status ExportName(gssp_status* minor, gss_name_t from, gssp_name_t* to) {
    *to = nullptr;
    if (from == GSS_C_NO_NAME) return Report(minor, GSS_S_COMPLETE, 0);
    GssBuffer text;
    OM_uint32 m = 0;
    const OM_uint32 major = gss_display_name(&m, from, text.get(), nullptr);
    if (GSS_ERROR(major)) return Report(minor, major, m);
    const gssp_name_desc name = {GSS_C_NT_QXAT_MECHDATA_UTF8, {(*text).length, (*text).value}};
    return gssp_duplicate_name(minor, &name, to);
}

}  // namespace qxkrb5
