// Queries over recorded document tables.
#pragma once

#include <cstdint>

#include "compiler_state.hpp"

namespace qx {

// String offset of the value of the first attribute of element `index` whose
// name equals `name` (ignoring case); 0, the empty string, when there is none.
std::int32_t FindAttributeValue(const CompilerState& s, const ElementRecord* elements, int index,
                                const AttributeRecord* attributes, const char* name);

// Index of the first element of `tables` whose name equals `name`, or -1.
int FindFirstElement(const CompilerState& s, const DocumentTables& tables, const char* name);

// True when the user document declares itself a user file: its first Header
// element carries ConfigFileType="user".
bool IsUserFile(const CompilerState& s);

}  // namespace qx
