// Every message text the library raises, in one place.
#ifndef PATHWISE_MESSAGES_H
#define PATHWISE_MESSAGES_H

namespace Corvane_QxWallet::messages {

// Client-directory discovery.
inline constexpr char kNoModuleHandle[] =
    "Cannot get the handle to the module containing the currently executing code because: %s";
inline constexpr char kNoModuleName[] =
    "Cannot get the pathname of the module containing the currently executing code because: %s";
inline constexpr char kCannotOpenPointer[] = "Cannot open the qxclientdir file (in \"%s\") because: %s";
inline constexpr char kCannotReadPointer[] =
    "The attempt to read the qxclientdir file (in \"%s\") failed because: %s";
inline constexpr char kEmptyPointer[] = "The qxclientdir file (in \"%s\") is empty.";
inline constexpr char kNullPathArgument[] = "QxClient_getClientPath() was given no place for the path.";
inline constexpr char kOutOfMemory[] = "An out of memory condition exists.";

// System-error text.
inline constexpr char kCannotFormatMessage[] = "Cannot format message (GetLastError() returned %u).";

// Wallet lock set-up.
inline constexpr char kCannotCreateMutex[] = "Cannot create mutex because: %s";
inline constexpr char kWaitAbandoned[] = "WaitForSingleObject() returned WAIT_ABANDONED.";
inline constexpr char kWaitTimeout[] = "WaitForSingleObject() returned WAIT_TIMEOUT.";
inline constexpr char kWaitFailed[] = "WaitForSingleObject() failed because: %s";
inline constexpr char kWaitOther[] = "WaitForSingleObject() returned %ld";

}  // namespace Corvane_QxWallet::messages

#endif
