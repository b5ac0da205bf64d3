// The credentials and contexts the test mechanism hands out, and the
// registry that tells a live handle of a mechanism from anything else.
#pragma once

#include <cstdint>
#include <string>

#include "mechanism.hpp"

namespace qxtest {

struct Credential {
    const Mechanism* mech;
    int usage;
    gssp_name_t name;  // null: the credential names no one
};

struct Context {
    const Mechanism* mech = nullptr;
    bool initiator = false;
    std::uint32_t calls = 0;  // init or accept calls that succeeded
    bool complete = false;
    std::uint64_t clientNonce = 0;
    std::uint64_t serverNonce = 0;
    bool serverNonceShared = false;  // the initiator saw (or will see) the acceptor's nonce
    std::uint64_t key = 0;
    std::uint32_t flags = 0;
    std::string clientName;           // the initiator's identity, as its first token carried it
    gssp_name_t targetName = nullptr; // the initiator's target
};

// Registration of a new handle; false only when memory ran out.
bool RegisterCredential(Credential* cred);
bool RegisterContext(Context* ctx);
// The handle when it is a live one of `mech`, else null.
Credential* FindCredential(const Mechanism& mech, const void* handle);
Context* FindContext(const Mechanism& mech, const void* handle);
// Unregisters and frees.
void DestroyCredential(Credential* cred);
void DestroyContext(Context* ctx);

}  // namespace qxtest
