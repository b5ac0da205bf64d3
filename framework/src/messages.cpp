// The framework's message table, built from the rows it shares with the
// plug-in.
#include "messages.hpp"

#include "qxgss_services.h"

namespace qxgss {
namespace {

struct Row {
    std::uint32_t code;
    const char* text;
};

const Row kRows[] = {
#define QXGSS_MESSAGE(code, text) {code, text},
#include "qxgss_message_table.h"
#undef QXGSS_MESSAGE
};

}  // namespace

const char* MinorStatusText(std::uint32_t code) {
    for (const Row& row : kRows) {
        if (row.code == code) return row.text;
    }
    return "?";
}

}  // namespace qxgss
