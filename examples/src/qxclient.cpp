// qxclient: connects to a qxserver on 127.0.0.1, establishes a QXNEGO
// context and exchanges protected messages with it.
//
//   qxclient --config FILE --libs PATH --port N [--logon TEXT] [--message TEXT] [--show-log]
#include <cstdio>
#include <exception>
#include <string>

#include "arguments.h"
#include "context_info.h"
#include "framework_start.h"
#include "framing.h"
#include "negotiation.h"
#include "options.h"
#include "print_line.h"
#include "protection.h"
#include "socket.h"

namespace qxexample {
namespace {

const char kUsage[] =
    "usage: qxclient --config FILE --libs PATH --port N [--logon TEXT] [--message TEXT] [--show-log]\n";

// A credential whose name carries the logon data.
void AcquireLogonCredential(gssp_OID nego, const std::string& logon, Credential& cred) {
    gssp_name_desc name = {GSS_C_NT_QXAT_MECHDATA_UTF8, InputBuffer(logon)};
    gssp_status minor = 0;
    Check("qxgss_acquire_cred", qxgss_acquire_cred(&minor, nego, &name, 0, GSSP_C_INITIATE, cred.out()), minor);
}

int Run(int argc, char** argv) {
    const Options options(Utf8Arguments(argc, argv), {{"config", true}, {"libs", true}, {"port", true}, {"logon", true},
                                       {"message", true}, {"show-log", false}});
    const std::string config = options.Required("config");
    const std::string libs = options.Required("libs");
    const std::uint16_t port = options.Port("port", false);
    const std::string message = options.Value("message", "hello from qxclient");
    const bool show_log = options.Has("show-log");
    // The mechanisms refuse to protect an empty message; say so up front.
    if (message.empty()) throw UsageError("--message must not be empty");

    SocketLibrary sockets;
    const gssp_OID nego = StartFramework(config, libs);
    Credential cred;  // none: single sign-on
    if (options.Has("logon")) AcquireLogonCredential(nego, options.Required("logon"), cred);

    Socket socket = ConnectLoopback(port);
    Context context;
    InitiateContext(socket, nego, cred.get(), context);
    PrintLine("selected mechanism: ", SelectedMechanism(context));
    if (show_log) PrintLine("negotiation log:\n", NegotiationLog(context));

    SendFrame(socket, Wrap(context, message));
    PrintLine("reply: ", Unwrap(context, ReceiveFrame(socket, "wrapped reply")));

    SendFrame(socket, message);
    SendFrame(socket, GetMic(context, message));
    VerifyMic(context, message, ReceiveFrame(socket, "server's MIC"));
    PrintLine("MIC verified", "");
    return 0;
}

}  // namespace
}  // namespace qxexample

int main(int argc, char** argv) {
    try {
        return qxexample::Run(argc, argv);
    } catch (const qxexample::UsageError& e) {
        std::fprintf(stderr, "qxclient: %s\n%s", e.what(), qxexample::kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "qxclient: error: %s\n", e.what());
        return 1;
    }
}
