// Writes the binary file so that a failed run never damages a good one: the
// whole file goes to a temporary file in the target's directory (mode 0600),
// is flushed to disk, and then replaces the target in one step.
#pragma once

#include <string>

#include "compiler_state.hpp"

namespace qx {

// Ends the run with the driver's messages on failure; the target is then
// unchanged and no temporary file remains.
void WriteOutputFile(const CompilerState& s, const std::string& target);

}  // namespace qx
