/* The scripting interface of the test mechanism library gssp2qxtest.
 *
 * The library exports the full set of mechanism entry points under the
 * prefixes QXTEST1 .. QXTEST4 (four independent test mechanisms) and
 * QXTESTMIN (a mechanism that exports only acquire_cred, release_cred,
 * inquire_cred, release_name, display_status and delete_sec_context, so
 * that the framework's table really lacks the others).
 *
 * A test scripts each mechanism by its prefix. A script stays in force
 * until it is replaced or qxtest_reset() is called; a mechanism without a
 * script behaves as the zero-initialised script describes (one leg on each
 * side, no failures, nothing absent, no identity, no properties). */
#ifndef QXTEST_QXTEST_H
#define QXTEST_QXTEST_H

#include <stdint.h>

#include "qxgss_services.h"

#ifdef _WIN32
#ifdef QXTEST_BUILDING
#define QXTEST_API __declspec(dllexport)
#else
#define QXTEST_API __declspec(dllimport)
#endif
#else
#define QXTEST_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Entry points a script can mark absent (bits of qxtest_script_desc.absent).
 * An absent entry point answers major GSSP_S_UNAVAILABLE with minor
 * QXGSS_MINOR_UNAVAILABLE and does nothing else. */
#define QXTEST_OP_ACQUIRE_CRED (1u << 0)
#define QXTEST_OP_RELEASE_CRED (1u << 1)
#define QXTEST_OP_INQUIRE_CRED (1u << 2)
#define QXTEST_OP_INIT_SEC_CONTEXT (1u << 3)
#define QXTEST_OP_ACCEPT_SEC_CONTEXT (1u << 4)
#define QXTEST_OP_DELETE_SEC_CONTEXT (1u << 5)
#define QXTEST_OP_INQUIRE_CONTEXT (1u << 6)
#define QXTEST_OP_WRAP_SIZE_LIMIT (1u << 7)
#define QXTEST_OP_WRAP (1u << 8)
#define QXTEST_OP_UNWRAP (1u << 9)
#define QXTEST_OP_GET_MIC (1u << 10)
#define QXTEST_OP_VERIFY_MIC (1u << 11)
#define QXTEST_OP_RELEASE_NAME (1u << 12)
#define QXTEST_OP_DISPLAY_STATUS (1u << 13)
#define QXTEST_OP_INQUIRE_PROPERTIES_FOR_USER (1u << 14)

/* A scripted failure: the call numbered `leg` (1 for the first init or
 * accept call of a context; ignored for acquire_cred) returns `major` and
 * writes `minor`. No failure when major is 0. */
typedef struct qxtest_failure {
    uint32_t leg;
    gssp_status major;
    gssp_status minor;
} qxtest_failure;

/* A text display_status gives for a minor status (status type 2). */
typedef struct qxtest_status_text {
    gssp_status minor;
    const char* text;
} qxtest_status_text;

typedef struct qxtest_script_desc {
    uint32_t init_legs;   /* init calls until the initiator completes (0 means 1) */
    uint32_t accept_legs; /* accept calls until the acceptor completes (0 means 1) */
    qxtest_failure acquire_failure;
    qxtest_failure init_failure;
    qxtest_failure accept_failure;
    uint32_t absent;      /* QXTEST_OP_* bits */
    const char* identity; /* the default credential's name (UTF-8); null: the default credential has none */
    const void* properties; /* what inquire_properties_for_user returns */
    uint64_t properties_length;
    const qxtest_status_text* status_texts; /* looked up before the mechanism's own texts */
    uint32_t status_text_count;
} qxtest_script_desc;

/* Installs a copy of *script for the mechanism exported under `prefix`
 * (null script: back to the default). Returns 0, or -1 for a prefix the
 * library does not export. */
QXTEST_API int qxtest_script(const char* prefix, const qxtest_script_desc* script);
/* Every mechanism back to the default script. */
QXTEST_API void qxtest_reset(void);

/* The mechanism's own minor codes (originator 5). */
#define QXTEST_MINOR_SUCCESS 0x250007D0u
#define QXTEST_MINOR_CONTINUE 0x250007D1u
#define QXTEST_MINOR_BAD_TOKEN 0xE50007D2u       /* not a token of this mechanism's format */
#define QXTEST_MINOR_OTHER_MECH 0xE50007D3u      /* a token of another test mechanism */
#define QXTEST_MINOR_WRONG_LEG 0xE50007D4u       /* a token of the wrong leg or direction */
#define QXTEST_MINOR_WRONG_NONCE 0xE50007D5u     /* a token of another exchange */
#define QXTEST_MINOR_BAD_HANDLE 0xE50007D6u      /* not a live handle of this mechanism */
#define QXTEST_MINOR_NOT_READY 0xE50007D7u       /* the context is not complete */
#define QXTEST_MINOR_INTEGRITY 0xE50007D8u       /* a message or token was changed */
#define QXTEST_MINOR_BAD_ARGUMENT 0xE50007D9u    /* a required argument is missing */
#define QXTEST_MINOR_NO_MEMORY 0xE50007DAu
#define QXTEST_MINOR_WRONG_USAGE 0xE50007DBu     /* the credential's usage does not allow the call */
#define QXTEST_MINOR_ALREADY_COMPLETE 0xE50007DCu
#define QXTEST_MINOR_NO_IDENTITY 0xE50007DDu     /* the default credential names no identity */
#define QXTEST_MINOR_BAD_MECH 0xE50007DEu        /* the desired mechanisms do not include this one */

#ifdef __cplusplus
}
#endif

#endif
