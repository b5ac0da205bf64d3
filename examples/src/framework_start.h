// Starting the framework from a compiled configuration and finding the
// negotiating mechanism in it.
#pragma once

#include <string>

#include "qxgss_services.h"

namespace qxexample {

// Starts the framework and returns the OID of QXNEGO. Throws when the file
// cannot be read or QXNEGO is not configured and enabled; start-up notes
// about disabled mechanisms go to stderr.
gssp_OID StartFramework(const std::string& config_path, const std::string& library_path);

}  // namespace qxexample
