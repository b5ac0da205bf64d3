// The compile pipeline and the whole run of the program.
#pragma once

#include <string>

#include "compiler_state.hpp"

namespace qx {

// Schema search, both loads, LegalValues validation, file-type check,
// merge, regrouping and the rule checks. 1 when the final table is ready to
// be written, 0 after the failing step's messages.
int MergeConfigFiles(CompilerState& s, const std::string& libraryPath, const std::string& userPath);

// The program: arguments as main receives them; returns the exit status.
int RunCompiler(int argc, const char* const* argv);

}  // namespace qx
