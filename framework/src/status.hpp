// Framework minor codes and the status helpers every service uses.
#pragma once

#include <cstdint>

#include "qxgss_services.h"

namespace qxgss {

// Framework minor codes: 0x21000000 (success), 0xA1000000 (warning) or
// 0xE1000000 (error) plus the code number, as the framework's message table
// (carried by the plug-in) numbers them.
constexpr std::uint32_t kSuccess = QXGSS_MINOR_SUCCESS;              // 100 Successful
constexpr std::uint32_t kUnavailable = QXGSS_MINOR_UNAVAILABLE;      // 103 not available for the mechanism
constexpr std::uint32_t kUnknownMechanism = 0xE1000068u;             // 104 mechanism not configured
constexpr std::uint32_t kBadOid = 0xE100006Cu;                       // 108 OID not valid
constexpr std::uint32_t kNoMemory = 0xE100006Fu;                     // 111 allocation failed
constexpr std::uint32_t kBadText = 0xE1000078u;                      // 120 name not convertible to UTF-8
constexpr std::uint32_t kUnknownProperty = 0xE10000CCu;              // 204 property not valid
constexpr std::uint32_t kBadArgument = QXGSS_MINOR_INVALID_ARGUMENT;                 // 205 an argument was not valid
constexpr std::uint32_t kAsnBadEncodeHandle = 0xE10000D4u;           // 212
constexpr std::uint32_t kAsnBadDecodeHandle = 0xE10000D5u;           // 213
constexpr std::uint32_t kAsnSequenceMismatch = 0xE10000D7u;          // 215 sequence not closed
constexpr std::uint32_t kAsnBadType = 0xE10000DCu;                   // 220 unexpected item type
constexpr std::uint32_t kAsnBadEncoding = 0xE10000DFu;               // 223 not valid DER
constexpr std::uint32_t kAsnItemAbsent = QXGSS_MINOR_ASN_ITEM_ABSENT;  // 251 tag not found

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
