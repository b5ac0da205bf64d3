#include "negotiation.h"

#include <stdexcept>

#include "framing.h"

namespace qxexample {
namespace {

// A failed call may still leave a token that tells the peer why (a
// rejection); it goes out before the failure is reported, if the
// connection still takes it.
void CheckSendingErrorToken(const char* call, gssp_status major, gssp_status minor, Socket& socket,
                            const std::string& token) {
    if (!GSSP_ERROR(major)) return;
    if (!token.empty()) {
        try {
            SendFrame(socket, token);
        } catch (const NetError&) {
            // The failure of the call is what gets reported.
        }
    }
    throw GssError(call, major, minor);
}

}  // namespace

void InitiateContext(Socket& socket, gssp_OID mechanism, qxgss_cred_t cred, Context& context) {
    std::string input;
    for (;;) {
        gssp_buffer_desc in = InputBuffer(input);
        Buffer out;
        gssp_status minor = 0;
        const gssp_status major = qxgss_init_sec_context(&minor, cred, context.out(), mechanism, nullptr, 0, &in,
                                                         out.get(), nullptr, nullptr);
        const std::string token = out.Bytes();
        CheckSendingErrorToken("qxgss_init_sec_context", major, minor, socket, token);
        const bool complete = (major & GSSP_S_CONTINUE_NEEDED) == 0;
        if (complete && token.empty()) return;
        SendFrame(socket, token);
        input = ReceiveFrame(socket, "negotiation token");
        if (complete) {
            if (!input.empty()) {
                throw std::runtime_error("the server sent a negotiation token after the client's context was complete");
            }
            return;
        }
    }
}

void AcceptContext(Socket& socket, gssp_OID mechanism, Context& context) {
    for (;;) {
        const std::string input = ReceiveFrame(socket, "negotiation token");
        gssp_buffer_desc in = InputBuffer(input);
        Buffer out;
        gssp_status minor = 0;
        const gssp_status major = qxgss_accept_sec_context(&minor, context.out(), mechanism, nullptr, &in, nullptr,
                                                           out.get(), nullptr, nullptr);
        const std::string token = out.Bytes();
        CheckSendingErrorToken("qxgss_accept_sec_context", major, minor, socket, token);
        SendFrame(socket, token);
        if ((major & GSSP_S_CONTINUE_NEEDED) == 0) return;
    }
}

}  // namespace qxexample
