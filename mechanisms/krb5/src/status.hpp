// How every entry point reports: the library's own major and minor status
// pass through unchanged; the adapter's own failures carry the framework's
// minor codes below.
#pragma once

#include <cstdint>

#include "qxgss_services.h"

namespace qxkrb5 {

// Framework minor codes (rows of the framework's message table).
constexpr gssp_status kMinorInvalidArgument = QXGSS_MINOR_INVALID_ARGUMENT;  // 0xE10000CD
constexpr gssp_status kMinorNoMemory = 0xE100006Fu;
constexpr gssp_status kMinorNameNotConvertible = 0xE1000078u;

// Writes `minor_code` when the caller asked for it and returns `major`.
inline gssp_status Report(gssp_status* minor, gssp_status major, gssp_status minor_code) {
    if (minor) *minor = minor_code;
    return major;
}

// The adapter's own text for a framework code it reports; null for others.
const char* OwnMinorText(gssp_status code);

}  // namespace qxkrb5
