#include "process_state.h"

#include "mechanism_status.h"
#include "neg_mech_list.h"

QxnegoProcessState qxnego_process_state = {-1, {0, 0}};

gssp_status QXNEGO_INT_InitProcessState(gssp_status* minor) {
    gssp_status m = 0;
    gssp_OID own = 0;
    gssp_status major = gssp_mechstr_to_oid(&m, "QXNEGO", &own);
    uint32_t index = GSSP_NO_MECH_INDEX;
    if (!GSSP_ERROR(major)) {
        major = gssp_oid_to_mechindex(&m, own, &index);
    }
    if (GSSP_ERROR(major)) {
        if (minor) *minor = m;
        return major;
    }
    qxnego_process_state.own_mech_index = (int32_t)index;
    return QXNEGO_INT_InitNegMechList(minor, &qxnego_process_state.mech_list);
}

gssp_status QXNEGO_INT_ReleaseProcessState(gssp_status* minor) {
    const gssp_status major = QXNEGO_INT_ReleaseNegMechList(minor, &qxnego_process_state.mech_list);
    qxnego_process_state.own_mech_index = -1;
    return major;
}
