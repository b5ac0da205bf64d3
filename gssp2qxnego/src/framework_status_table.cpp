// The framework's message table as the plug-in carries it (158 codes; the
// rows are in the services folder, shared with the framework).
#include "framework_status.h"

namespace {

struct FrameworkMessage {
    uint32_t code;
    const char* message;
};

const FrameworkMessage kFrameworkMessages[] = {
#define QXGSS_MESSAGE(code, text) {code, text},
#include "qxgss_message_table.h"
#undef QXGSS_MESSAGE
};

}  // namespace
const char* QXNEGO_INT_FrameworkMessage(uint32_t minor) {
    for (const FrameworkMessage& row : kFrameworkMessages) {
        if (row.code == minor) {
            return row.message;
        }
    }
    return "?";
}
