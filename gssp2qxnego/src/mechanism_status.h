/* The negotiating mechanism's minor status codes and their messages: one
 * table, the only place a code is defined. Severity in bits 31-30, bit 29
 * set, originator 3 in bits 27-24, the number in bits 15-0. */
#ifndef QXNEGO_MECHANISM_STATUS_H
#define QXNEGO_MECHANISM_STATUS_H

#include <stdint.h>

/* X(name, code, message) */
#define QXNEGO_MECHANISM_STATUS_TABLE(X) \
    X(QXNEGO_S_SUCCESS, 0x230003E8u, "Successful") \
    X(QXNEGO_S_CONTINUE_NEEDED, 0x230003E9u, \
      "Continue needed. Application needs to call this API again with a new input token.") \
    X(QXNEGO_E_NOT_IMPLEMENTED, 0xE30003F2u, "The requested API function has not been implemented.") \
    X(QXNEGO_E_INTERNAL, 0xE30003F3u, "QXNEGO internal failure.") \
    X(QXNEGO_E_BAD_MECH_OID, 0xE30003F4u, "The QXNEGO security mechanism encountered a bad mechanism OID.") \
    X(QXNEGO_E_BAD_NAME_TYPE, 0xE30003F5u, "The QXNEGO security mechanism does not support the NameType requested.") \
    X(QXNEGO_E_INVALID_INPUT, 0xE30003F6u, "The input is NULL or invalid") \
    X(QXNEGO_E_MEMORY_ACCESS, 0xE30003F7u, "Memory could not be accessed.") \
    X(QXNEGO_E_MALLOC, 0xE30003F8u, "QXNEGO malloc failed.") \
    X(QXNEGO_E_CALLOC, 0xE30003F9u, "QXNEGO calloc failed.") \
    X(QXNEGO_E_NULL_BUFFER, 0xE30003FAu, "qxgss buffer descriptor (qxgss_buffer_desc) passed to the API is NULL.") \
    X(QXNEGO_E_NO_CRED, 0xE30003FCu, "QXNEGO credentials not found.") \
    X(QXNEGO_E_BAD_CRED_USAGE, 0xE30003FDu, "Bad Cred Usage value.") \
    X(QXNEGO_E_NULL_NAME, 0xE30003FEu, "A name is required but was passed as NULL.") \
    X(QXNEGO_E_BAD_CONTEXT, 0xE30003FFu, "Invalid QXNEGO context passed.") \
    X(QXNEGO_E_BAD_NEG_CONTEXT, 0xE3000400u, "Invalid QXNEGO Negotiation Context passed.") \
    X(QXNEGO_E_CONTEXT_NOT_READY, 0xE3000401u, "The security context was used before it was ready.") \
    X(QXNEGO_E_NULL_MESSAGE_TOKEN, 0xE3000402u, \
      "Input token passed to wrap/unwrap or get_mic/verify_mic is NULL.") \
    X(QXNEGO_W_NOT_OUR_STATUS, 0xA3000403u, "The status code passed doesn't belong to QXNEGO mechanism.") \
    X(QXNEGO_E_NO_MECHS_AVAILABLE, 0xE3000406u, \
      "The QXNEGO security mechanism could not find any mechanisms available for negotiation.") \
    X(QXNEGO_E_MECH_LIST_INIT, 0xE3000407u, "Unable to initialize the list of available negotiated mechanisms.") \
    X(QXNEGO_E_MECH_LIST_EMPTY, 0xE3000408u, "The list of mechanisms available for negotiation is empty.") \
    X(QXNEGO_E_MECH_LIST_COPY, 0xE3000409u, "Unable to make a copy of the list of available negotiated mechanisms.") \
    X(QXNEGO_E_NO_NEG_LOG, 0xE300040Au, "Unable to obtain the Negotiation Log.") \
    X(QXNEGO_E_BAD_TOKEN_TYPE, 0xE300040Bu, "The NegMech token type is not recognized.") \
    X(QXNEGO_E_INIT_TOKEN_NOT_FIRST, 0xE300040Cu, "An INIT Token can only be generated as the first Client token.  ") \
    X(QXNEGO_E_BAD_STATE_CHANGE, 0xE300040Du, "QXNEGO fails because the state to be changed to is invalid.") \
    X(QXNEGO_E_BAD_STATE_REASON, 0xE300040Eu, "Invalid reason for the state change.") \
    X(QXNEGO_E_BAD_NEG_STATE, 0xE300040Fu, "The NegState value is invalid.") \
    X(QXNEGO_E_UNSUPPORTED_NEG_STATE, 0xE3000410u, \
      "The QXNEGO security mechanism does not support the NegState indicated.") \
    X(QXNEGO_E_COMPLETED_WITHOUT_MECH, 0xE3000411u, \
      "Error occurred when neg state is shown completed but no mechanism was selected.") \
    X(QXNEGO_E_SELECTED_OID_DECODE, 0xE3000412u, \
      "Error when trying to decode the mechanism OID of the selected mechanism.") \
    X(QXNEGO_E_SELECTED_MECH_NOT_FOUND, 0xE3000413u, "Selected mechanism from context token not found.") \
    X(QXNEGO_E_MECH_UNAVAILABLE, 0xE3000414u, "Error while trying to access an unavailable mechanism.") \
    X(QXNEGO_E_NO_MECHS_TO_ENCODE, 0xE300041Au, "There were no mechanisms found for encoding the context token.") \
    X(QXNEGO_E_NEGMECH_DECODE, 0xE300041Bu, "Unable to decode NegMech ASN.1 sequence.") \
    X(QXNEGO_E_NO_AUTH_ID, 0xE300041Cu, "The Authentication ID was not supplied.") \
    X(QXNEGO_E_INIT_TOKEN_DECODE, 0xE300041Du, \
      "The QXNEGO security mechanism was not able to decode an initial token.") \
    X(QXNEGO_E_RESP_TOKEN_DECODE, 0xE300041Eu, \
      "The QXNEGO security mechanism was not able to decode a response token.") \
    X(QXNEGO_E_LOGON_SYNTAX, 0xE3000424u, "Syntax error in the user's principal name (mechdata).") \
    X(QXNEGO_E_MESSAGE_FRAMING, 0xE3000425u, "Message header-trailer is not proper.") \
    X(QXNEGO_E_MIC, 0xE3000426u, "Error during MIC calculation") \
    X(QXNEGO_E_MULTIPLE_AUTHCID, 0xE3000427u, "The user's principal name contains multiple authcid properties.") \
    X(QXNEGO_E_MULTIPLE_USER, 0xE3000428u, "The user's principal name contains multiple user properties.") \
    X(QXNEGO_E_MULTIPLE_PROFILE, 0xE3000429u, "The user's principal name contains multiple profile properties.") \
    X(QXNEGO_E_UNKNOWN_PROPERTY, 0xE300042Au, "The user's principal name contains an unknown property.")

#define QXNEGO_STATUS_ENUM_ENTRY(name, code, message) name = code,
enum QXNEGO_MechanismStatus : uint32_t { QXNEGO_MECHANISM_STATUS_TABLE(QXNEGO_STATUS_ENUM_ENTRY) };
#undef QXNEGO_STATUS_ENUM_ENTRY

#define QXNEGO_MINOR_ORIGINATOR(minor) (((minor) >> 24) & 0x0Fu)
#define QXNEGO_MINOR_ORIGINATOR_MECHANISM 3u
#define QXNEGO_MINOR_FIXED_BIT 0x20000000u

/* The mechanism's message for a minor status, or "?". */
const char* QXNEGO_INT_MechanismMessage(uint32_t minor);

#endif
