// The framework's buffers, OIDs and OID sets beside the library's.
#pragma once

#include "gssapi.hpp"

#include "qxgss_services.h"

namespace qxkrb5 {

// False for a buffer whose length has no bytes or does not fit in memory.
bool ValidBuffer(const gssp_buffer_desc* buffer);
// The framework buffer's bytes seen through the library's descriptor (no
// copy); a null buffer is empty. Only for buffers that passed ValidBuffer.
gss_buffer_desc View(const gssp_buffer_desc* buffer);
// Empties a framework output buffer (without freeing what it held).
void SetEmpty(gssp_buffer_t buffer);
// Copies the library's bytes into a malloc'd framework buffer, which the
// caller gives back with gssp_release_buffer. An empty source gives {0, NULL}.
gssp_status CopyOut(gssp_status* minor, const gss_buffer_desc& from, gssp_buffer_t to);

// The Kerberos mechanism OID as the framework holds it in its table (a
// process-lifetime descriptor of the same bytes when it is not configured).
gssp_OID MechOid();
// Whether a framework set asks for the Kerberos mechanism; no set or an
// empty one asks for the default, which this is.
bool WantsKerberos(const gssp_OID_set_desc* desired);
// A new framework set holding only the Kerberos OID.
gssp_status KerberosOidSet(gssp_status* minor, gssp_OID_set* set);

}  // namespace qxkrb5
