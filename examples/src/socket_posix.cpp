// The loopback sockets on POSIX systems.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "socket.h"

namespace qxexample {
namespace {

int Fd(SocketHandle handle) { return static_cast<int>(handle); }

[[noreturn]] void Fail(const std::string& what, int error) {
    throw NetError(what + ": " + std::strerror(error));
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void SetReceiveTimeout(int fd) {
    timeval timeout{};
    timeout.tv_sec = kReceiveTimeoutSeconds;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
        Fail("cannot set the receive timeout", errno);
    }
}

}  // namespace

SocketLibrary::SocketLibrary() = default;
SocketLibrary::~SocketLibrary() = default;

Socket::~Socket() {
    if (handle_ != kNoSocket) close(Fd(handle_));
}

Socket::Socket(Socket&& other) noexcept : handle_(std::exchange(other.handle_, kNoSocket)) {}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (handle_ != kNoSocket) close(Fd(handle_));
        handle_ = std::exchange(other.handle_, kNoSocket);
    }
    return *this;
}

void Socket::SendAll(const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        // MSG_NOSIGNAL: a peer that has gone is an error here, not SIGPIPE.
        const ssize_t sent = send(Fd(handle_), at, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            Fail("cannot send to the peer", errno);
        }
        at += sent;
        size -= static_cast<std::size_t>(sent);
    }
}

std::size_t Socket::ReceiveUpTo(void* data, std::size_t size) {
    char* at = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = recv(Fd(handle_), at + done, size - done, 0);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            // A peer that closed abruptly is a closed connection.
            if (errno == ECONNRESET) break;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                throw NetError("no data from the peer for " + std::to_string(kReceiveTimeoutSeconds) + " seconds");
            }
            Fail("cannot receive from the peer", errno);
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

Listener::Listener(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) Fail("cannot create a socket", errno);
    handle_ = static_cast<SocketHandle>(fd);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = Loopback(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        handle_ = kNoSocket;
        Fail("cannot listen on 127.0.0.1:" + std::to_string(port), error);
    }
    socklen_t length = sizeof address;
    if (listen(fd, 4) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        close(fd);
        handle_ = kNoSocket;
        Fail("cannot listen on 127.0.0.1:" + std::to_string(port), error);
    }
    port_ = ntohs(address.sin_port);
}

Listener::~Listener() {
    if (handle_ != kNoSocket) close(Fd(handle_));
}

Socket Listener::Accept() {
    for (;;) {
        const int fd = accept(Fd(handle_), nullptr, nullptr);
        if (fd >= 0) {
            Socket connection(static_cast<SocketHandle>(fd));
            SetReceiveTimeout(fd);
            return connection;
        }
        if (errno != EINTR) Fail("cannot accept a connection", errno);
    }
}

Socket ConnectLoopback(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) Fail("cannot create a socket", errno);
    Socket connection(static_cast<SocketHandle>(fd));
    const sockaddr_in address = Loopback(port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Fail("cannot connect to 127.0.0.1:" + std::to_string(port), errno);
    }
    SetReceiveTimeout(fd);
    return connection;
}

}  // namespace qxexample
