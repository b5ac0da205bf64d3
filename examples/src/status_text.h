// Major and minor status words as text for the programs' error messages.
#pragma once

#include <string>

#include "qxgss_services.h"

namespace qxexample {

// "major 0x000D0000 (failure), minor 0xE3000406 (text)": both in hex, the
// major's routine error by name, the minor's text from the framework's
// message table (framework codes) or from the mechanism that gives one
// (display_status of the configured mechanisms); "?" when none does.
std::string DescribeStatus(gssp_status major, gssp_status minor);

}  // namespace qxexample
