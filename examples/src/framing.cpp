#include "framing.h"

namespace qxexample {

void SendFrame(Socket& socket, const std::string& payload) {
    if (payload.size() > kMaxFrameSize) {
        throw NetError("cannot send a frame of " + std::to_string(payload.size()) + " bytes: the limit is " +
                       std::to_string(kMaxFrameSize));
    }
    const auto size = static_cast<std::uint32_t>(payload.size());
    const unsigned char header[4] = {static_cast<unsigned char>(size >> 24), static_cast<unsigned char>(size >> 16),
                                     static_cast<unsigned char>(size >> 8), static_cast<unsigned char>(size)};
    socket.SendAll(header, sizeof header);
    if (!payload.empty()) socket.SendAll(payload.data(), payload.size());
}

std::string ReceiveFrame(Socket& socket, const std::string& what) {
    unsigned char header[4];
    const std::size_t got = socket.ReceiveUpTo(header, sizeof header);
    if (got == 0) throw NetError("the peer closed the connection before the " + what);
    if (got < sizeof header) {
        throw NetError("the peer closed the connection inside the length of the " + what + " (" +
                       std::to_string(got) + " of 4 bytes)");
    }
    const std::uint32_t size = (std::uint32_t(header[0]) << 24) | (std::uint32_t(header[1]) << 16) |
                               (std::uint32_t(header[2]) << 8) | std::uint32_t(header[3]);
    if (size > kMaxFrameSize) {
        throw NetError("the " + what + " announces " + std::to_string(size) + " bytes, more than the limit of " +
                       std::to_string(kMaxFrameSize));
    }
    std::string payload(size, '\0');
    const std::size_t body = size ? socket.ReceiveUpTo(&payload[0], size) : 0;
    if (body < size) {
        throw NetError("the peer closed the connection inside the " + what + " (" + std::to_string(body) + " of " +
                       std::to_string(size) + " bytes)");
    }
    return payload;
}

}  // namespace qxexample
