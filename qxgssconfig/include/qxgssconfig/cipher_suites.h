/* The cipher suites the product supports, handed out by the compiler
 * program's export AlgGetCipherSuites. */
#ifndef QXGSSCONFIG_CIPHER_SUITES_H
#define QXGSSCONFIG_CIPHER_SUITES_H

#include <stdint.h>

#ifdef _WIN32
#define QXGSSCONFIG_EXPORT __declspec(dllexport)
#else
#define QXGSSCONFIG_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One row: 16 bytes, little-endian. */
typedef struct CipherSuite {
    uint32_t algorithmClass; /* 16, 17 or 18 */
    uint32_t algorithmId;
    uint32_t parameterKind;  /* 19 Mode, 20 Padding, 21 KeyLength, 22 KeyLengthP; 0xFFFFFFFF none */
    uint32_t parameterValue; /* 0xFFFFFFFF none */
} CipherSuite;

#define QX_CIPHER_SUITES_OK 0x240000C8u
#define QX_CIPHER_SUITES_NULL_ARGUMENT 0xE40000CCu
#define QX_CIPHER_SUITES_NO_MEMORY 0xE40000CDu

/* A fresh malloc'd copy of the table; the caller frees it. Returns 1 on
 * success and 0 on failure; *status (when given) tells which. */
QXGSSCONFIG_EXPORT int32_t AlgGetCipherSuites(uint32_t* count, CipherSuite** suites, uint32_t* status);

#ifdef __cplusplus
}
#endif

#endif
