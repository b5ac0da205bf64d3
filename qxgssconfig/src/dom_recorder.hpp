// Records a parsed DOM tree into the current document tables.
#pragma once

#include <xercesc/dom/DOMNode.hpp>

#include "compiler_state.hpp"

namespace qx {

void RecordDomNode(CompilerState& s, const XERCES_CPP_NAMESPACE::DOMNode* node);

}  // namespace qx
