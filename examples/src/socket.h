// TCP on the loopback interface, the little the example programs need: one
// listening socket, connected sockets that send and receive whole byte
// runs, and the platform's socket library kept started. One source file per
// platform implements it (socket_posix.cpp, socket_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace qxexample {

// A failed socket call, with the system's reason in the message.
class NetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Receives give up after this long without a byte from the peer, so that a
// peer that stalls can never hang a program.
constexpr int kReceiveTimeoutSeconds = 30;

// Keeps the platform's socket library started while it lives (Winsock on
// Windows; nothing to do on POSIX systems).
class SocketLibrary {
public:
    SocketLibrary();
    ~SocketLibrary();
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;
};

using SocketHandle = std::uintptr_t;
constexpr SocketHandle kNoSocket = ~SocketHandle(0);

// A connected socket; closed when it goes.
class Socket {
public:
    Socket() = default;
    explicit Socket(SocketHandle handle) : handle_(handle) {}
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Sends every byte or throws.
    void SendAll(const void* data, std::size_t size);
    // Reads until `size` bytes have come or the peer has closed the
    // connection; returns the count read (less than `size` only when the
    // peer closed). Throws on an error or when the peer stalls.
    std::size_t ReceiveUpTo(void* data, std::size_t size);

private:
    SocketHandle handle_ = kNoSocket;
};

// A socket listening on 127.0.0.1 only.
class Listener {
public:
    // Port 0 lets the system choose; Port() tells which it chose.
    explicit Listener(std::uint16_t port);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    std::uint16_t Port() const { return port_; }
    Socket Accept();

private:
    SocketHandle handle_ = kNoSocket;
    std::uint16_t port_ = 0;
};

// Connects to 127.0.0.1:port.
Socket ConnectLoopback(std::uint16_t port);

}  // namespace qxexample
