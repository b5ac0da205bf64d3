// The loopback sockets on Windows (Winsock 2.2).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <string>
#include <utility>

#include "socket.h"

namespace qxexample {
namespace {

SOCKET Sock(SocketHandle handle) { return static_cast<SOCKET>(handle); }

std::string SystemText(int error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' ||
                               result.back() == '.')) {
        result.pop_back();
    }
    return (result.empty() ? std::string("error") : result) + " (" + std::to_string(error) + ")";
}

[[noreturn]] void Fail(const std::string& what, int error) { throw NetError(what + ": " + SystemText(error)); }

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void SetReceiveTimeout(SOCKET s) {
    const DWORD milliseconds = kReceiveTimeoutSeconds * 1000;
    if (setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds), sizeof milliseconds) !=
        0) {
        Fail("cannot set the receive timeout", WSAGetLastError());
    }
}

// Send and receive take int lengths.
constexpr std::size_t kChunk = 1u << 20;

}  // namespace

SocketLibrary::SocketLibrary() {
    WSADATA data;
    const int error = WSAStartup(MAKEWORD(2, 2), &data);
    if (error != 0) Fail("cannot start Winsock", error);
}

SocketLibrary::~SocketLibrary() { WSACleanup(); }

Socket::~Socket() {
    if (handle_ != kNoSocket) closesocket(Sock(handle_));
}

Socket::Socket(Socket&& other) noexcept : handle_(std::exchange(other.handle_, kNoSocket)) {}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (handle_ != kNoSocket) closesocket(Sock(handle_));
        handle_ = std::exchange(other.handle_, kNoSocket);
    }
    return *this;
}

void Socket::SendAll(const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const int sent = send(Sock(handle_), at, static_cast<int>(size < kChunk ? size : kChunk), 0);
        if (sent == SOCKET_ERROR) Fail("cannot send to the peer", WSAGetLastError());
        at += sent;
        size -= static_cast<std::size_t>(sent);
    }
}

std::size_t Socket::ReceiveUpTo(void* data, std::size_t size) {
    char* at = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t want = size - done < kChunk ? size - done : kChunk;
        const int got = recv(Sock(handle_), at + done, static_cast<int>(want), 0);
        if (got == 0) break;
        if (got == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            if (error == WSAETIMEDOUT) {
                throw NetError("no data from the peer for " + std::to_string(kReceiveTimeoutSeconds) + " seconds");
            }
            // A peer that closed abruptly is a closed connection, as on POSIX.
            if (error == WSAECONNRESET) break;
            Fail("cannot receive from the peer", error);
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

Listener::Listener(std::uint16_t port) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) Fail("cannot create a socket", WSAGetLastError());
    handle_ = static_cast<SocketHandle>(s);
    sockaddr_in address = Loopback(port);
    int length = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 4) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = WSAGetLastError();
        closesocket(s);
        handle_ = kNoSocket;
        Fail("cannot listen on 127.0.0.1:" + std::to_string(port), error);
    }
    port_ = ntohs(address.sin_port);
}

Listener::~Listener() {
    if (handle_ != kNoSocket) closesocket(Sock(handle_));
}

Socket Listener::Accept() {
    const SOCKET s = accept(Sock(handle_), nullptr, nullptr);
    if (s == INVALID_SOCKET) Fail("cannot accept a connection", WSAGetLastError());
    Socket connection(static_cast<SocketHandle>(s));
    SetReceiveTimeout(s);
    return connection;
}

Socket ConnectLoopback(std::uint16_t port) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) Fail("cannot create a socket", WSAGetLastError());
    Socket connection(static_cast<SocketHandle>(s));
    const sockaddr_in address = Loopback(port);
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Fail("cannot connect to 127.0.0.1:" + std::to_string(port), WSAGetLastError());
    }
    SetReceiveTimeout(s);
    return connection;
}

}  // namespace qxexample
