#include "records.hpp"


#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "status.hpp"

namespace qxkrb5 {
namespace {

bool IsKerberos(const gssp_OID_desc& oid) {
    return oid.length == gss_mech_krb5->length && oid.elements &&
           std::memcmp(oid.elements, gss_mech_krb5->elements, oid.length) == 0;
}

gssp_OID_desc KerberosDesc() { return {static_cast<uint32_t>(gss_mech_krb5->length), gss_mech_krb5->elements}; }

}  // namespace

bool ValidBuffer(const gssp_buffer_desc* buffer) {
    if (!buffer) return true;
    if (buffer->length > SIZE_MAX) return false;
    return buffer->length == 0 || buffer->value != nullptr;
}

gss_buffer_desc View(const gssp_buffer_desc* buffer) {
    if (!buffer || buffer->length == 0) return GSS_C_EMPTY_BUFFER;
    return {static_cast<size_t>(buffer->length), buffer->value};
}

void SetEmpty(gssp_buffer_t buffer) {
    if (!buffer) return;
    buffer->length = 0;
    buffer->value = nullptr;
}

gssp_status CopyOut(gssp_status* minor, const gss_buffer_desc& from, gssp_buffer_t to) {
    SetEmpty(to);
    if (from.length == 0) return Report(minor, GSS_S_COMPLETE, 0);
    void* bytes = std::malloc(from.length);
    if (!bytes) return Report(minor, GSS_S_FAILURE, kMinorNoMemory);
    std::memcpy(bytes, from.value, from.length);
    to->length = from.length;
    to->value = bytes;
    return Report(minor, GSS_S_COMPLETE, 0);
}

gssp_OID MechOid() {
    static gssp_OID_desc own = KerberosDesc();
    const gssp_OID_desc probe = KerberosDesc();
    uint32_t index = GSSP_NO_MECH_INDEX;
    gssp_OID table_oid = nullptr;
    if (!GSSP_ERROR(gssp_oid_to_mechindex(nullptr, &probe, &index)) && index < MechCount &&
        !GSSP_ERROR(gssp_mechstr_to_oid(nullptr, pMechInfo[index].name, &table_oid)) && table_oid)
        return table_oid;
    return &own;
}

bool WantsKerberos(const gssp_OID_set_desc* desired) {
    if (!desired || desired->count == 0) return true;
    if (!desired->elements) return false;
    for (size_t i = 0; i < desired->count; ++i) {
        if (IsKerberos(desired->elements[i])) return true;
    }
    return false;
}

gssp_status KerberosOidSet(gssp_status* minor, gssp_OID_set* set) {
    *set = nullptr;
    gssp_OID_set made = nullptr;
    gssp_status major = gssp_create_empty_oid_set(minor, &made);
    if (!GSSP_ERROR(major)) major = gssp_add_oid_set_member(minor, MechOid(), &made);
    if (GSSP_ERROR(major)) {
        gssp_status ignored = 0;
        if (made) gssp_release_oid_set(&ignored, &made);
        return major;
    }
    *set = made;
    return Report(minor, GSS_S_COMPLETE, 0);
}

}  // namespace qxkrb5
