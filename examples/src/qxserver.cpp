// qxserver: accepts connections on 127.0.0.1, one at a time, establishes a
// QXNEGO context with each client and exchanges protected messages with it.
//
//   qxserver --config FILE --libs PATH [--port N] [--once] [--show-log]
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

const char kUsage[] = "usage: qxserver --config FILE --libs PATH [--port N] [--once] [--show-log]\n";

// One client, from the first negotiation token to the server's MIC.
void Serve(Socket& socket, gssp_OID nego, bool show_log) {
    Context context;
    AcceptContext(socket, nego, context);
    PrintLine("selected mechanism: ", SelectedMechanism(context));
    const std::string client = InitiatorName(context);
    PrintLine("client: ", client.empty() ? "(not named)" : client);
    if (show_log) PrintLine("negotiation log:\n", NegotiationLog(context));

    const std::string message = Unwrap(context, ReceiveFrame(socket, "wrapped message"));
    PrintLine("received: ", message);
    SendFrame(socket, Wrap(context, "reply to: " + message));

    const std::string signed_text = ReceiveFrame(socket, "signed message");
    VerifyMic(context, signed_text, ReceiveFrame(socket, "MIC"));
    PrintLine("MIC verified: ", signed_text);
    // The server's MIC over the same text tells the client its MIC passed.
    SendFrame(socket, GetMic(context, signed_text));
}

int Run(int argc, char** argv) {
    const Options options(Utf8Arguments(argc, argv), {{"config", true}, {"libs", true}, {"port", true}, {"once", false},
                                       {"show-log", false}});
    const std::string config = options.Required("config");
    const std::string libs = options.Required("libs");
    const std::uint16_t port = options.Has("port") ? options.Port("port", true) : 0;
    const bool once = options.Has("once");
    const bool show_log = options.Has("show-log");

    SocketLibrary sockets;
    const gssp_OID nego = StartFramework(config, libs);
    Listener listener(port);
    std::printf("listening on %u\n", static_cast<unsigned>(listener.Port()));
    std::fflush(stdout);
    for (;;) {
        Socket socket = listener.Accept();
        bool ok = true;
        try {
            Serve(socket, nego, show_log);
        } catch (const std::exception& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "qxserver: error: %s\n", e.what());
            ok = false;
        }
        if (once) return ok ? 0 : 1;
    }
}

}  // namespace
}  // namespace qxexample

int main(int argc, char** argv) {
    try {
        return qxexample::Run(argc, argv);
    } catch (const qxexample::UsageError& e) {
        std::fprintf(stderr, "qxserver: %s\n%s", e.what(), qxexample::kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "qxserver: error: %s\n", e.what());
        return 1;
    }
}
