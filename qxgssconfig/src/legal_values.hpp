// Checks a document's attribute values and texts against the library's
// LegalValues section.
#pragma once

#include "compiler_state.hpp"

namespace qx {

// Negative after printing the first illegal value, positive otherwise.
int ValidateDocument(CompilerState& s, const DocumentTables& doc);
int CheckAttributeLegal(CompilerState& s, const ElementRecord& e, const AttributeRecord* attributes);
// Negative on failure, 0 when the element has no entry, positive otherwise.
int CheckTextLegal(CompilerState& s, const ElementRecord& e);

}  // namespace qx
