// Helpers for reading the final element table through the merged attribute
// and text tables.
#pragma once

#include <functional>

#include "compiler_state.hpp"

namespace qx {

inline const ElementRecord& FinalElement(const CompilerState& s, int i) { return s.final.elements[i]; }
inline const AttributeRecord& MergedAttribute(const CompilerState& s, int a) { return s.merged.attributes[a]; }
inline const char* MergedText(const CompilerState& s, int t) { return s.str(s.merged.texts[t].value); }

// String offset of the first attribute `name` of final element i, or 0.
std::int32_t FindAttributeValueFinal(const CompilerState& s, int i, const char* name);

bool FinalNameIs(const CompilerState& s, int i, const char* name);

// Calls f(name, value) for each attribute of final element i, in order.
void ForEachAttribute(const CompilerState& s, int i, const std::function<void(const char*, const char*)>& f);

// True when final element i has an attribute `name` with a value equal to `value`.
bool HasAttributeValue(const CompilerState& s, int i, const char* name, const char* value);

}  // namespace qx
