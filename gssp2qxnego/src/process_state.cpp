#include "process_state.h"

#include <initializer_list>

#include "mechanism_status.h"
#include "neg_mech_list.h"
#include "status_result.h"

QxnegoProcessState qxnego_process_state = {nullptr, -1, nullptr, nullptr, nullptr, nullptr, {0, nullptr}};

extern "C" gssp_status QXNEGO_INT_ReleaseProcessState(gssp_status* minor) {
    QxnegoProcessState& s = qxnego_process_state;
    gssp_status last_major = 0, last_minor = QXNEGO_S_SUCCESS;
    auto note = [&](gssp_status major, gssp_status m) {
        if (GSSP_ERROR(major)) {
            last_major = major;
            last_minor = m;
        }
    };
    gssp_status m = 0;
    note(QXNEGO_INT_ReleaseNegMechList(&m, &s.mech_list), m);
    for (gssp_OID_set* set : {&s.actual_mechs, &s.utf8_name_types, &s.accepted_name_types, &s.advertised_name_types}) {
        if (*set != nullptr) note(gssp_release_oid_set(&m, set), m);
        *set = nullptr;
    }
    s.own_oid = nullptr;
    s.own_mech_index = -1;
    return qxnego_result(minor, last_minor, last_major);
}
