#include "framework_start.h"

#include <cstdio>
#include <stdexcept>

#include "gss_handles.h"
#include "qxgss/framework.hpp"

namespace qxexample {

gssp_OID StartFramework(const std::string& config_path, const std::string& library_path) {
    const qxgss::StartupReport report = qxgss::StartFramework(config_path, library_path);
    if (!report.ok) throw std::runtime_error("cannot start the framework from " + config_path + ": " + report.error);
    for (const std::string& note : report.messages) {
        if (note.find("disabled") != std::string::npos) std::fprintf(stderr, "note: %s\n", note.c_str());
    }
    gssp_status minor = 0;
    gssp_OID nego = nullptr;
    Check("gssp_mechstr_to_oid(QXNEGO)", gssp_mechstr_to_oid(&minor, "QXNEGO", &nego), minor);
    std::uint32_t index = 0;
    Check("gssp_oid_to_mechindex(QXNEGO)", gssp_oid_to_mechindex(&minor, nego, &index), minor);
    if (index >= MechCount || !pMechInfo[index].enabled) {
        throw std::runtime_error("the mechanism QXNEGO is configured in " + config_path + " but not enabled");
    }
    return nego;
}

}  // namespace qxexample
