// The locator's one way to the client installation directory.
#ifndef DIRSCOUT_CLIENT_INSTALL_PATH_H
#define DIRSCOUT_CLIENT_INSTALL_PATH_H

#include <memory>

#include "pathwise/qxclient.h"

namespace dirscout {

struct ClientPathDeleter {
    void operator()(char* path) const { QxClient_freeString(path); }
};
using ClientPath = std::unique_ptr<char, ClientPathDeleter>;

// The directory (UTF-8, ending in the separator). When the environment
// variable DEBUGGSS names a file, each call traces into it. Prints the
// library's message and ends the process with status 1 on failure.
ClientPath getClientInstallPath();

}  // namespace dirscout

#endif
