// The text of a framework minor status code, or "?".
#pragma once

#include <cstdint>

namespace qxgss {

const char* MinorStatusText(std::uint32_t code);

}  // namespace qxgss
