// The library's GSS-API headers beside the framework's services header.
// Both declare GSS_C_NT_HOSTBASED_SERVICE; inside the adapter that name is
// the framework's, and the library's declaration is renamed out of the way
// (the adapter never uses it: it hands the library a descriptor of the
// framework's bytes, which are the same OID).
#pragma once

#include "qxgss_services.h"

#define GSS_C_NT_HOSTBASED_SERVICE qxkrb5_library_nt_hostbased_service_unused
#include <gssapi/gssapi.h>
#include <gssapi/gssapi_ext.h>
#include <gssapi/gssapi_krb5.h>
#undef GSS_C_NT_HOSTBASED_SERVICE
