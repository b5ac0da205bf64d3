#include "handles.hpp"

#include <mutex>
#include <set>

namespace qxtest {
namespace {

// One registry per kind, so that a context passed as a credential (or the
// other way round) is never taken for one.
enum Kind { kCredential, kContext };

std::mutex& Lock() {
    static std::mutex m;
    return m;
}
std::set<const void*>& Live(Kind kind) {
    static std::set<const void*> live[2];
    return live[kind];
}

bool Register(Kind kind, const void* handle) {
    try {
        std::lock_guard<std::mutex> guard(Lock());
        Live(kind).insert(handle);
        return true;
    } catch (...) {
        return false;
    }
}

bool IsLive(Kind kind, const void* handle) {
    std::lock_guard<std::mutex> guard(Lock());
    return handle && Live(kind).count(handle) != 0;
}

void Unregister(Kind kind, const void* handle) {
    std::lock_guard<std::mutex> guard(Lock());
    Live(kind).erase(handle);
}

}  // namespace

bool RegisterCredential(Credential* cred) { return Register(kCredential, cred); }
bool RegisterContext(Context* ctx) { return Register(kContext, ctx); }

Credential* FindCredential(const Mechanism& mech, const void* handle) {
    if (!IsLive(kCredential, handle)) return nullptr;
    auto* cred = static_cast<Credential*>(const_cast<void*>(handle));
    return cred->mech == &mech ? cred : nullptr;
}

Context* FindContext(const Mechanism& mech, const void* handle) {
    if (!IsLive(kContext, handle)) return nullptr;
    auto* ctx = static_cast<Context*>(const_cast<void*>(handle));
    return ctx->mech == &mech ? ctx : nullptr;
}

void DestroyCredential(Credential* cred) {
    if (!cred) return;
    Unregister(kCredential, cred);
    gssp_release_name(nullptr, &cred->name);
    delete cred;
}

void DestroyContext(Context* ctx) {
    if (!ctx) return;
    Unregister(kContext, ctx);
    gssp_release_name(nullptr, &ctx->targetName);
    delete ctx;
}

}  // namespace qxtest
