// Framework names to the library's names and back.
//
// In: a name of the framework's GSS_C_NT_HOSTBASED_SERVICE type is imported
// as a host-based service ("service@host"); a name of one of the logon-data
// types (GSS_C_NT_QXAT_MECHDATA and its UTF-8/16/32 forms) is parsed as
// logon data and its first principal "user[@realm][:password]" is imported
// as a user principal "user[@realm]" (GSS_C_NT_USER_NAME), its password
// kept for acquiring the credential. Other name types are refused.
//
// Out: a principal is handed out as a framework name of type
// GSS_C_NT_QXAT_MECHDATA_UTF8 holding its displayed text ("alice@REALM"),
// released with gssp_release_name.
#pragma once

#include <string>

#include "gss_holders.hpp"
#include "qxgss_services.h"

namespace qxkrb5 {

struct ImportedName {
    ImportedName() = default;
    ImportedName(const ImportedName&) = delete;
    ImportedName& operator=(const ImportedName&) = delete;
    ~ImportedName();

    GssName name;
    bool has_password = false;
    std::string password;  // wiped when the record goes
};

gssp_status ImportName(gssp_status* minor, const gssp_name_desc& from, ImportedName* to);
// The service the initiator aims at when its caller names none.
gssp_status ImportDefaultTarget(gssp_status* minor, GssName* to);
// *to is null for GSS_C_NO_NAME.
gssp_status ExportName(gssp_status* minor, gss_name_t from, gssp_name_t* to);

// Wipes a text's bytes in place.
void Wipe(std::string& text);

}  // namespace qxkrb5
