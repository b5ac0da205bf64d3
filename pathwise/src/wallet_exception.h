// The one exception type of the library: a UTF-8 message, nothing else.
#ifndef PATHWISE_WALLET_EXCEPTION_H
#define PATHWISE_WALLET_EXCEPTION_H

#include <exception>
#include <string>

namespace Corvane_QxWallet {

class QxWalletException : public std::exception {
public:
    explicit QxWalletException(std::string message) : message_(std::move(message)) {}
    ~QxWalletException() override = default;
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Throws a QxWalletException holding a copy of the message.
[[noreturn]] void raiseWalletException(const std::string& message);

}  // namespace Corvane_QxWallet

#endif
