// The context-establishment exchange over framed tokens, shared by the
// client (init calls) and the server (accept calls).
//
// The rules, which keep both sides in step whatever a call returns:
//   - the server answers every frame it feeds to an accept call with exactly
//     one frame: the output token, or an empty frame when there is none;
//     once an accept call completes, the server reads no more tokens;
//   - the client sends its output token after every init call, as an empty
//     frame when it continues without a token, and then reads the server's
//     answer; the one exception is an init call that completes without a
//     token: the exchange is over for the client and it sends nothing;
//   - a client that completes on a call that did produce a token still reads
//     the server's answer, which must be empty (a token there means the
//     server wants to go on after the client has finished: an error).
// Each side thus waits only for a frame the other side owes it; a side
// whose expectation is broken gets a failed call or a closed connection,
// never a wait without end (receives also time out).
#pragma once

#include "gss_handles.h"
#include "socket.h"

namespace qxexample {

// Runs init calls for `mechanism` until the context is complete. `cred`
// may be null (single sign-on).
void InitiateContext(Socket& socket, gssp_OID mechanism, qxgss_cred_t cred, Context& context);

// Runs accept calls for `mechanism` until the context is complete.
void AcceptContext(Socket& socket, gssp_OID mechanism, Context& context);

}  // namespace qxexample
