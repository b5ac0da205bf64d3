// Loads one configuration file through the validating parser and records it
// into the current document tables.
#pragma once

#include <string>

#include "compiler_state.hpp"


namespace qx {

// 0 when the document was recorded; 1, tables left empty, when the XML
// library cannot be started. A document that is not well formed or not valid
// ends the run with status 1 after every problem has been reported.
int ParseConfigDocument(CompilerState& s, const std::string& xmlPath, const std::string& schemaPath);

}  // namespace qx
