// Rule checks over the final element table and the merged attribute and
// text tables. Each returns a positive value when the rules hold and 0 after
// printing the broken rule.
#pragma once

#include "compiler_state.hpp"

namespace qx {

int CheckMechanisms(CompilerState& s);
int CheckGlobalQops(CompilerState& s);
int CheckMechQops(CompilerState& s);

// The number of symbol S in LegalValues entry E: 0 and the number when
// found, 1 when not.
int LookupLegalValue(const CompilerState& s, const char* entry, const char* symbol, int* number);
bool GlobalQopExists(const CompilerState& s, const char* name);
bool MechQopIs128(const CompilerState& s, int element);

}  // namespace qx
