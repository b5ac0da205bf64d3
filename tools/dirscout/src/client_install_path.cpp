#include "client_install_path.h"

#include <cstdio>
#include <cstdlib>

#include "failure.h"
#include "messages.h"

namespace dirscout {
namespace {

std::FILE* traceFile = nullptr;  // open during one call when DEBUGGSS names a file

void openTrace() {
    const char* name = std::getenv("DEBUGGSS");
    if (name == nullptr || *name == '\0') return;
    if (traceFile != nullptr) std::fclose(traceFile);
    traceFile = std::fopen(name, "w");
}

}  // namespace

ClientPath getClientInstallPath() {
    openTrace();
    if (traceFile) std::fputs(messages::kTraceInvoking, traceFile);

    char* path = nullptr;
    if (ClientPathError* error = QxClient_getClientPath(&path)) {
        std::fprintf(stderr, messages::kClientPathError, QxClient_errorMessage(error));
        QxClient_freeError(error);
        std::exit(kFailureStatus);  // the trace file is flushed at exit
    }
    ClientPath result(path);

    if (traceFile) {
        std::fputs(messages::kTraceSuccess, traceFile);
        std::fprintf(traceFile, messages::kTraceReturned, result.get());
        std::fclose(traceFile);
        traceFile = nullptr;
    }
    return result;
}

}  // namespace dirscout
