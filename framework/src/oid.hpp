// OIDs: dotted text <-> DER content bytes, and OID records the framework owns.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qxgss_services.h"

namespace qxgss {

// DER content bytes of a dotted OID ("1.2.840.113554.1.2.2"), or nothing when
// the text is not an OID (at least two arcs, first 0-2, second below 40
// unless the first is 2, every arc a decimal number that fits 32 bits).
std::optional<std::vector<unsigned char>> DottedToDer(const std::string& dotted);
// Dotted text of DER content bytes, or nothing when they are not well formed.
std::optional<std::string> DerToDotted(const unsigned char* bytes, std::size_t length);

bool SameOid(const gssp_OID_desc* a, const gssp_OID_desc* b);

// An OID record with its own bytes, stable in memory for its lifetime.
class OwnedOid {
public:
    explicit OwnedOid(std::vector<unsigned char> bytes);
    OwnedOid(const OwnedOid&) = delete;
    OwnedOid& operator=(const OwnedOid&) = delete;
    gssp_OID get() { return &desc_; }
    const gssp_OID_desc* get() const { return &desc_; }

private:
    std::vector<unsigned char> bytes_;
    gssp_OID_desc desc_{};
};

}  // namespace qxgss
