// Framework minor codes and the status helpers every service uses.
#pragma once

#include <cstdint>

#include "qxgss_services.h"

namespace qxgss {

// Framework minor codes: 0x21000000 (success), 0xA1000000 (warning) or
// 0xE1000000 (error) plus the code number.
constexpr std::uint32_t kSuccess = QXGSS_MINOR_SUCCESS;           // 100
constexpr std::uint32_t kNoMemory = 0xE1000065u;                  // 101
constexpr std::uint32_t kBadArgument = 0xE1000066u;               // 102
constexpr std::uint32_t kUnavailable = QXGSS_MINOR_UNAVAILABLE;   // 103
constexpr std::uint32_t kBadOid = 0xE1000068u;                    // 104
constexpr std::uint32_t kUnknownMechanism = 0xE1000069u;          // 105
constexpr std::uint32_t kUnknownProperty = 0xE100006Au;           // 106
constexpr std::uint32_t kBadNameType = 0xE100006Bu;               // 107
constexpr std::uint32_t kBadText = 0xE100006Cu;                   // 108
constexpr std::uint32_t kAsnBadHandle = 0xE10000F7u;              // 247
constexpr std::uint32_t kAsnBadEncoding = 0xE10000F8u;            // 248
constexpr std::uint32_t kAsnSequenceMismatch = 0xE10000F9u;       // 249
constexpr std::uint32_t kAsnBadType = 0xE10000FAu;                // 250
constexpr std::uint32_t kAsnItemAbsent = QXGSS_MINOR_ASN_ITEM_ABSENT;  // 251

// Writes the minor status (when wanted) and returns the major status.
inline gssp_status Report(gssp_status* minor, std::uint32_t minorValue, gssp_status major) {
    if (minor) *minor = minorValue;
    return major;
}
inline gssp_status Ok(gssp_status* minor) { return Report(minor, kSuccess, GSSP_S_COMPLETE); }
inline gssp_status Fail(gssp_status* minor, std::uint32_t minorValue, gssp_status major = GSSP_S_FAILURE) {
    return Report(minor, minorValue, major);
}

}  // namespace qxgss
