#include "wallet_exception.h"

namespace Corvane_QxWallet {

void raiseWalletException(const std::string& message) { throw QxWalletException(message); }

}  // namespace Corvane_QxWallet
