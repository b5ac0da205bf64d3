// A probe mechanism library for the start-up tests: several mechanisms under
// different export prefixes. Each configure call notes itself in the
// message buffer; PRFAIL's configure fails; PRNEGO's reports whether PROBE
// was already configured and still enabled when it ran.
#include <cstdlib>
#include <cstring>
#include <string>

#include "qxgss_services.h"

#ifdef _WIN32
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

bool probeConfigured = false;

gssp_status Note(gssp_buffer_t messages, const std::string& text) {
    messages->value = std::malloc(text.size());
    std::memcpy(messages->value, text.data(), text.size());
    messages->length = text.size();
    return GSSP_S_COMPLETE;
}

}  // namespace

PROBE_EXPORT gssp_status PROBE_configure(gssp_status* minor, void*, void*, gssp_buffer_t messages) {
    probeConfigured = true;
    if (minor) *minor = 0;
    return Note(messages, "probe configured");
}

PROBE_EXPORT gssp_status PROBE_acquire_cred(gssp_status* minor, gssp_name_t, uint32_t, gssp_OID_set, int,
                                            gssp_cred_id_t* cred, gssp_OID_set*, uint32_t*) {
    if (minor) *minor = 0;
    if (cred) *cred = nullptr;
    return GSSP_S_COMPLETE;
}

PROBE_EXPORT gssp_status PRFAIL_configure(gssp_status* minor, void*, void*, gssp_buffer_t) {
    if (minor) *minor = 0xE1000067u;
    return GSSP_S_FAILURE;
}

PROBE_EXPORT gssp_status PRNEGO_configure(gssp_status* minor, void*, void*, gssp_buffer_t messages) {
    if (minor) *minor = 0;
    gssp_OID oid = nullptr;
    uint32_t index = GSSP_NO_MECH_INDEX;
    gssp_mechstr_to_oid(nullptr, "PROBE", &oid);
    gssp_oid_to_mechindex(nullptr, oid, &index);
    const bool enabled = index < MechCount && pMechInfo[index].enabled;
    return Note(messages, std::string("negotiator configured after probe: ") +
                              (probeConfigured && enabled ? "yes" : "no"));
}
