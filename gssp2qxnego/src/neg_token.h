/* The negotiation tokens: the client's first token (NegTokenInit) and every
 * later token in either direction (NegTokenResp), each carrying one NegMech
 * report per mechanism the peer should learn about. Built and read through
 * the framework's ASN.1 handles in tagging mode 0. */
#ifndef QXNEGO_NEG_TOKEN_H
#define QXNEGO_NEG_TOKEN_H

#include <stdint.h>

#include "neg_mech.h"
#include "qxgss_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* NegTokenType */
enum { QXNEGO_TOKEN_INIT = 1, QXNEGO_TOKEN_RESP = 2 };

/* Encodes the context's next token of the given type into *output (set
 * empty first; the encoder's bytes, released through the framework). Once
 * the peer has left the Incomplete state nothing is encoded: success with
 * the output empty. Once the whole token is built, clears the report flag of
 * every entry written; a failed encoding returns nothing and leaves the
 * flags set, so that no state change is lost. */
gssp_status QXNEGO_INT_EncodeNegToken(gssp_status* minor, uint32_t NegTokenType, NegContext* context,
                                      gssp_buffer_t output);

/* Parses a token of the expected type and merges it into the context: the
 * peer's state, the selection it reports, the policy flag, the logon values
 * (NegTokenInit) and, through QXNEGO_INT_ProcessNegMech, every NegMech. A
 * decode that fails part way keeps the changes made before the failure. */
gssp_status QXNEGO_INT_DecodeNegToken(gssp_status* minor, uint32_t NegTokenType, const gssp_buffer_desc* input,
                                      NegContext* context);

/* The most NegMech reports one token may carry; a longer list is refused
 * as undecodable (0xE300041B) before any report is merged. */
#define QXNEGO_MAX_NEGMECHS 256

/* The inner steps. Encoders write into the open encode handle; decoders
 * read from the open decode handle, in the handle's document order. */
gssp_status QXNEGO_INT_EncodeNegTokenInit(gssp_status* minor, gsspasn_encode_handle handle, NegContext* context);
gssp_status QXNEGO_INT_EncodeNegTokenResp(gssp_status* minor, gsspasn_encode_handle handle, NegContext* context);
gssp_status QXNEGO_INT_EncodeNegMechList(gssp_status* minor, gsspasn_encode_handle handle, NegContext* context);
gssp_status QXNEGO_INT_EncodeNegMech(gssp_status* minor, gsspasn_encode_handle handle, const NegMechEntry* entry);
gssp_status QXNEGO_INT_DecodeNegTokenInit(gssp_status* minor, gsspasn_decode_handle handle, NegContext* context);
gssp_status QXNEGO_INT_DecodeNegTokenResp(gssp_status* minor, gsspasn_decode_handle handle, NegContext* context);
gssp_status QXNEGO_INT_DecodeNegMechList(gssp_status* minor, gsspasn_decode_handle handle, NegContext* context);
gssp_status QXNEGO_INT_DecodeNegMech(gssp_status* minor, gsspasn_decode_handle handle, NegContext* context);

#ifdef __cplusplus
}
#endif

#endif
