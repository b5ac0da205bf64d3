// The frames both programs exchange: a 4-byte big-endian length, then that
// many bytes. An empty frame carries no token.
#pragma once

#include <cstdint>
#include <string>

#include "socket.h"

namespace qxexample {

// No token or message of the exchange comes near this; a larger length is
// refused before anything is allocated.
constexpr std::uint32_t kMaxFrameSize = 1u << 20;

// Sends one frame (throws for a payload above kMaxFrameSize).
void SendFrame(Socket& socket, const std::string& payload);

// Receives one frame; `what` names it in the errors ("negotiation token",
// "wrapped message"). A connection closed before or inside the frame and a
// length above kMaxFrameSize are errors.
std::string ReceiveFrame(Socket& socket, const std::string& what);

}  // namespace qxexample
