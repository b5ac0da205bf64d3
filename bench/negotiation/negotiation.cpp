#include "negotiation.h"

#include <string>

#include "null_mechanism.h"
#include "qxgss/framework.hpp"

bool ConfigureNullMechanisms(unsigned n) {
    qxgss::ResetFramework();
    const gssp_mech_info entry_points = NullMechanismEntryPoints();
    qxgss::MechanismDefinition nego;
    nego.name = "QXNEGO";
    nego.oid = "1.3.6.1.4.1.61211.2.1";
    for (unsigned k = 0; k < n; ++k) {
        qxgss::MechanismDefinition d;
        d.name = "NULL" + std::to_string(k);
        d.oid = "1.3.6.1.4.1.61211.9.100." + std::to_string(k);
        d.properties[QXGSS_PROPERTY_RANK] = (int32_t)k;
        uint32_t index = 0;
        std::string error;
        if (!qxgss::AddMechanism(d, entry_points, &index, &error)) return false;
        nego.negotiable.push_back({true, d.oid});
    }
    gssp_mech_info none = {};
    uint32_t index = 0;
    std::string error;
    if (!qxgss::AddMechanism(nego, none, &index, &error)) return false;
    gssp_status minor = 0;
    return QXNEGO_configure(&minor, nullptr, nullptr, nullptr) == 0;
}

gssp_cred_id_t AcquireAlice() {
    static const std::string logon = "authcid=alice";
    gssp_name_desc name = {GSS_C_NT_QXAT_MECHDATA_UTF8, {logon.size(), (void*)logon.data()}};
    gssp_status minor = 0;
    gssp_cred_id_t cred = nullptr;
    QXNEGO_acquire_cred(&minor, &name, 0, nullptr, GSSP_C_INITIATE, &cred, nullptr, nullptr);
    return cred;
}

bool NegotiateOnce(gssp_cred_id_t client_cred) {
    gssp_status minor = 0;
    gssp_ctx_id_t client = nullptr, server = nullptr;
    gssp_buffer_desc none = {0, nullptr}, t1 = {0, nullptr}, t2 = {0, nullptr}, t3 = {0, nullptr};
    const gssp_status a = QXNEGO_init_sec_context(&minor, client_cred, &client, nullptr, nullptr, 0, 0, nullptr, &none,
                                                  nullptr, &t1, nullptr, nullptr);
    const gssp_status b = QXNEGO_accept_sec_context(&minor, &server, nullptr, &t1, nullptr, nullptr, nullptr, &t2,
                                                    nullptr, nullptr, nullptr);
    const gssp_status c = QXNEGO_init_sec_context(&minor, client_cred, &client, nullptr, nullptr, 0, 0, nullptr, &t2,
                                                  nullptr, &t3, nullptr, nullptr);
    const bool ok = a == GSSP_S_CONTINUE_NEEDED && b == 0 && c == 0;
    if (client) QXNEGO_delete_sec_context(&minor, &client, nullptr);
    if (server) QXNEGO_delete_sec_context(&minor, &server, nullptr);
    for (gssp_buffer_desc* t : {&t1, &t2, &t3}) gssp_release_buffer(&minor, t);
    return ok;
}
