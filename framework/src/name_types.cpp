// The name types the framework knows, defined once.
#include "oid.hpp"

namespace {

// 1.3.6.1.4.1.61211.3.1 .. .4: logon data in the local code page, UTF-8,
// UTF-16 and UTF-32; 1.2.840.113554.1.2.1.4: a host-based service name.
unsigned char kMechData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x83, 0xDE, 0x1B, 0x03, 0x01};
unsigned char kMechDataUtf8[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x83, 0xDE, 0x1B, 0x03, 0x02};
unsigned char kMechDataUtf16[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x83, 0xDE, 0x1B, 0x03, 0x03};
unsigned char kMechDataUtf32[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x83, 0xDE, 0x1B, 0x03, 0x04};
unsigned char kHostBasedService[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x12, 0x01, 0x02, 0x01, 0x04};

gssp_OID_desc gMechData = {sizeof kMechData, kMechData};
gssp_OID_desc gMechDataUtf8 = {sizeof kMechDataUtf8, kMechDataUtf8};
gssp_OID_desc gMechDataUtf16 = {sizeof kMechDataUtf16, kMechDataUtf16};
gssp_OID_desc gMechDataUtf32 = {sizeof kMechDataUtf32, kMechDataUtf32};
gssp_OID_desc gHostBasedService = {sizeof kHostBasedService, kHostBasedService};

}  // namespace

extern "C" {
QXGSS_API gssp_OID GSS_C_NT_QXAT_MECHDATA = &gMechData;
QXGSS_API gssp_OID GSS_C_NT_QXAT_MECHDATA_UTF8 = &gMechDataUtf8;
QXGSS_API gssp_OID GSS_C_NT_QXAT_MECHDATA_UTF16 = &gMechDataUtf16;
QXGSS_API gssp_OID GSS_C_NT_QXAT_MECHDATA_UTF32 = &gMechDataUtf32;
QXGSS_API gssp_OID GSS_C_NT_HOSTBASED_SERVICE = &gHostBasedService;
}
