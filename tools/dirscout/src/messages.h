// Every text the locator prints apart from its answers, in one place.
#ifndef DIRSCOUT_MESSAGES_H
#define DIRSCOUT_MESSAGES_H

namespace dirscout::messages {

// Option parser diagnostics (program name, option letter).
inline constexpr char kUndefinedSwitch[] = "%s: getopt undefined switch character -%c\n";
inline constexpr char kMissingArgument[] = "%s: getopt missing argument for -%c\n";

// Client directory.
inline constexpr char kTraceInvoking[] = "Invoking Pathwise's QxClient_getClientPath()\n";
inline constexpr char kTraceSuccess[] = "Successful return from Pathwise's QxClient_getClientPath()\n";
inline constexpr char kTraceReturned[] = "QxClient_getClientPath() returned: %s\n";
inline constexpr char kClientPathError[] = "\n\n Error getting the client install path because %s \n";

// Derived directories and file times.
inline constexpr char kAllocationFailed[] = "\n\n Memory allocation failed";
inline constexpr char kRegistryFailure[] = "\n\n Unable to obtain registry data successfully";
inline constexpr char kUserFileAgeError[] = "Error obtaining age information for QxgssUserConfigFile.xml file: %s\n";
inline constexpr char kBinFileAgeError[] = "Error obtaining age information for qxgssconfig.bin file: %s\n";
inline constexpr char kStatError[] = "file stat() error";

// Usage text, one write per line.
inline constexpr const char* kUsage[] = {
    "\n This utility program accepts the following options:\n",
    "\n -c : Obtains the client installation directory path\n",
    "\n -s : Obtains the persistent site directory path\n",
    "\n -v : Obtains the short version directory path\n",
    "\n -e : Obtains the local ETC directory path\n",
    "\n -b : Obtains the local BIN directory path\n",
    "\n -l : Obtain the long version\n",
    "\n -y : Obtains the age (in seconds) of the QxgssUserConfigFile.xml file\n",
    "\n -z : Obtains the age (in seconds) of the qxgssconfig.bin file\n",
};

}  // namespace dirscout::messages

#endif
