// Establishment straight through the Kerberos library's GSS-API, for the
// baselines: the Kerberos mechanism itself, and the library's own
// negotiation mechanism (OID 1.3.6.1.5.5.2). Kept apart from the framework's
// headers, which declare some of the same names.
#pragma once

#include <cstddef>

enum class RawMechanism { kKerberos, kLibraryNegotiation };

// One whole mutual establishment with the default credentials against
// host@localhost, both contexts deleted; false when it did not complete.
// first_token_size (when not null) receives the size of the first token.
bool RawEstablish(RawMechanism mech, std::size_t* first_token_size);
