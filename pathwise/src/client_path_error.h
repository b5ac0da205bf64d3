// Error handles of the C entry points (internal view).
#ifndef PATHWISE_CLIENT_PATH_ERROR_H
#define PATHWISE_CLIENT_PATH_ERROR_H

#include "pathwise/qxclient.h"

namespace Corvane_QxWallet {

// A new record with code 1 and the message; the static out-of-memory
// handle when the record cannot be made.
ClientPathError* errorHandleFor(const char* message) noexcept;

// The static out-of-memory handle.
ClientPathError* outOfMemoryError();

}  // namespace Corvane_QxWallet

#endif
