// OID sets: each member holds its own copy of the OID bytes.
#include <cstdlib>
#include <cstring>

#include "oid.hpp"
#include "memory.hpp"
#include "status.hpp"

using namespace qxgss;

namespace {

bool CopyOid(gssp_OID_desc& to, const gssp_OID_desc& from) {
    to.length = from.length;
    to.elements = nullptr;
    if (from.length == 0) return true;
    to.elements = Malloc(from.length);
    if (!to.elements) return false;
    std::memcpy(to.elements, from.elements, from.length);
    return true;
}

void FreeSet(gssp_OID_set set) {
    if (!set) return;
    for (std::size_t i = 0; i < set->count; ++i) std::free(set->elements[i].elements);
    std::free(set->elements);
    std::free(set);
}

}  // namespace

extern "C" {

QXGSS_API gssp_status gssp_create_empty_oid_set(gssp_status* minor, gssp_OID_set* set) {
    if (!set) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE);
    *set = static_cast<gssp_OID_set>(Calloc(1, sizeof(gssp_OID_set_desc)));
    if (!*set) return Fail(minor, kNoMemory);
    return Ok(minor);
}

QXGSS_API gssp_status gssp_add_oid_set_member(gssp_status* minor, const gssp_OID_desc* oid, gssp_OID_set* set) {
    if (!oid || !set || !*set || (oid->length && !oid->elements)) {
        return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    }
    gssp_OID_set s = *set;
    for (std::size_t i = 0; i < s->count; ++i) {
        if (SameOid(&s->elements[i], oid)) return Ok(minor);
    }
    auto* grown = static_cast<gssp_OID_desc*>(Realloc(s->elements, (s->count + 1) * sizeof(gssp_OID_desc)));
    if (!grown) return Fail(minor, kNoMemory);
    s->elements = grown;
    if (!CopyOid(s->elements[s->count], *oid)) return Fail(minor, kNoMemory);
    ++s->count;
    return Ok(minor);
}

QXGSS_API gssp_status gssp_test_oid_set_member(gssp_status* minor, const gssp_OID_desc* oid,
                                               const gssp_OID_set_desc* set, int* present) {
    if (!oid || !set || !present) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    *present = 0;
    for (std::size_t i = 0; i < set->count; ++i) {
        if (SameOid(&set->elements[i], oid)) *present = 1;
    }
    return Ok(minor);
}

QXGSS_API gssp_status gssp_duplicate_oid_set(gssp_status* minor, const gssp_OID_set_desc* set, gssp_OID_set* copy) {
    if (!copy) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE);
    *copy = nullptr;
    if (!set) return Ok(minor);
    gssp_OID_set out = nullptr;
    if (gssp_create_empty_oid_set(minor, &out) != GSSP_S_COMPLETE) return GSSP_S_FAILURE;
    for (std::size_t i = 0; i < set->count; ++i) {
        const gssp_status major = gssp_add_oid_set_member(minor, &set->elements[i], &out);
        if (major != GSSP_S_COMPLETE) {
            FreeSet(out);
            return major;
        }
    }
    *copy = out;
    return Ok(minor);
}

QXGSS_API gssp_status gssp_release_oid_set(gssp_status* minor, gssp_OID_set* set) {
    if (!set) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    FreeSet(*set);
    *set = nullptr;
    return Ok(minor);
}

QXGSS_API gssp_status qxgss_release_oid_set(gssp_status* minor, gssp_OID_set* set) {
    return gssp_release_oid_set(minor, set);
}

}  // extern "C"
