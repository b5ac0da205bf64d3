#include "status_text.h"

#include <cstdio>

namespace qxexample {
namespace {

struct FrameworkMessage {
    gssp_status code;
    const char* text;
};

const FrameworkMessage kFrameworkMessages[] = {
#define QXGSS_MESSAGE(code, text) {code, text},
#include "qxgss_message_table.h"
#undef QXGSS_MESSAGE
};

// The routine errors of a major status (bits 16-23), by number.
const char* const kRoutineErrors[] = {
    nullptr,           "bad mechanism",       "bad name",          "bad name type",   "bad bindings",
    "bad status",      "bad signature",       "no credential",     "no context",      "defective token",
    "defective credential", "credentials expired", "context expired", "failure",       "bad QOP",
    "unauthorized",    "unavailable",         "duplicate element", "name not a mechanism name"};

const unsigned kFrameworkOriginator = 1;

std::string Hex(gssp_status value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string MajorText(gssp_status major) {
    const unsigned routine = (major >> 16) & 0xFFu;
    if (routine == 0) return (major & 0xFF000000u) ? "calling error" : "no error";
    if (routine < sizeof kRoutineErrors / sizeof kRoutineErrors[0]) return kRoutineErrors[routine];
    return "routine error " + std::to_string(routine);
}

std::string FrameworkText(gssp_status minor) {
    for (const FrameworkMessage& message : kFrameworkMessages) {
        if (message.code == minor) return message.text;
    }
    return std::string();
}

// The first text a configured mechanism gives for the code.
std::string MechanismText(gssp_status minor) {
    for (std::uint32_t k = 0; k < MechCount; ++k) {
        const gssp_mech_info& mech = pMechInfo[k];
        if (!mech.enabled || mech.display_status == nullptr || mech.name == nullptr) continue;
        gssp_status ignored = 0;
        gssp_OID oid = nullptr;
        if (GSSP_ERROR(gssp_mechstr_to_oid(&ignored, mech.name, &oid)) || oid == nullptr) continue;
        std::uint32_t context = 0;
        gssp_buffer_desc text = {0, nullptr};
        const gssp_status major = mech.display_status(&ignored, minor, GSSP_C_MECH_CODE, oid, &context, &text);
        std::string result;
        if (!GSSP_ERROR(major) && text.value != nullptr) {
            result.assign(static_cast<const char*>(text.value), text.length);
        }
        gssp_release_buffer(&ignored, &text);
        while (!result.empty() && result.back() == '\0') result.pop_back();
        if (!result.empty() && result != "?") return result;
    }
    return std::string();
}

}  // namespace

std::string DescribeStatus(gssp_status major, gssp_status minor) {
    const bool framework = ((minor >> 24) & 0x0Fu) == kFrameworkOriginator;
    std::string text = framework ? FrameworkText(minor) : MechanismText(minor);
    if (text.empty()) text = "?";
    return "major " + Hex(major) + " (" + MajorText(major) + "), minor " + Hex(minor) + " (" + text + ")";
}

}  // namespace qxexample
