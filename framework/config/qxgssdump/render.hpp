// The compiled configuration as indented XML, the form qxgssdump prints.
#pragma once

#include <string>

#include "qxgss/binary_config.hpp"

namespace qxgss {

// The document from the root in document order: one element per line,
// indented two spaces per level, attributes in record order, each text value
// on its own line one level deeper before the element's children, and the
// closing tag on its own line. Lines end with "\n".
std::string RenderXml(const BinaryConfig& config);

}  // namespace qxgss
