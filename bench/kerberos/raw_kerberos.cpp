#include "raw_kerberos.h"

#include <gssapi/gssapi.h>
#include <gssapi/gssapi_krb5.h>

namespace {

gss_OID_desc kKerberos = {9, (void*)"\x2a\x86\x48\x86\xf7\x12\x01\x02\x02"};
gss_OID_desc kLibraryNegotiation = {6, (void*)"\x2b\x06\x01\x05\x05\x02"};

gss_name_t Target() {
    static gss_name_t target = [] {
        OM_uint32 minor = 0;
        gss_buffer_desc text = {14, (void*)"host@localhost"};
        gss_name_t name = GSS_C_NO_NAME;
        gss_import_name(&minor, &text, GSS_C_NT_HOSTBASED_SERVICE, &name);
        return name;
    }();
    return target;
}

}  // namespace

bool RawEstablish(RawMechanism which, std::size_t* first_token_size) {
    gss_OID mech = which == RawMechanism::kKerberos ? &kKerberos : &kLibraryNegotiation;
    OM_uint32 minor = 0, init_major = GSS_S_CONTINUE_NEEDED, accept_major = GSS_S_CONTINUE_NEEDED;
    gss_ctx_id_t client = GSS_C_NO_CONTEXT, server = GSS_C_NO_CONTEXT;
    gss_buffer_desc to_server = GSS_C_EMPTY_BUFFER, to_client = GSS_C_EMPTY_BUFFER;
    bool ok = true, first = true;
    for (int leg = 0; leg < 8 && ok; ++leg) {
        init_major = gss_init_sec_context(&minor, GSS_C_NO_CREDENTIAL, &client, Target(), mech,
                                          GSS_C_MUTUAL_FLAG | GSS_C_INTEG_FLAG | GSS_C_CONF_FLAG, 0,
                                          GSS_C_NO_CHANNEL_BINDINGS, &to_client, nullptr, &to_server, nullptr,
                                          nullptr);
        gss_release_buffer(&minor, &to_client);
        if (GSS_ERROR(init_major)) ok = false;
        if (first && first_token_size) *first_token_size = to_server.length;
        first = false;
        if (!ok || to_server.length == 0) break;
        accept_major = gss_accept_sec_context(&minor, &server, GSS_C_NO_CREDENTIAL, &to_server,
                                              GSS_C_NO_CHANNEL_BINDINGS, nullptr, nullptr, &to_client, nullptr,
                                              nullptr, nullptr);
        gss_release_buffer(&minor, &to_server);
        if (GSS_ERROR(accept_major)) ok = false;
        if (init_major == GSS_S_COMPLETE && to_client.length == 0) break;
    }
    gss_release_buffer(&minor, &to_server);
    gss_release_buffer(&minor, &to_client);
    ok = ok && init_major == GSS_S_COMPLETE && accept_major == GSS_S_COMPLETE;
    gss_delete_sec_context(&minor, &client, GSS_C_NO_BUFFER);
    gss_delete_sec_context(&minor, &server, GSS_C_NO_BUFFER);
    return ok;
}
