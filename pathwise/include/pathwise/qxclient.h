// C entry points of the Pathwise directory library.
//
// Every call that can fail returns an error handle: null for success, else a
// record the caller frees with QxClient_freeError. Strings are UTF-8.
#ifndef PATHWISE_QXCLIENT_H
#define PATHWISE_QXCLIENT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ClientPathError ClientPathError;

// Finds the client installation directory (ending in the path separator).
// On success returns null and stores a new string in *path that the caller
// releases with QxClient_freeString; on failure *path is left untouched.
// A null path is a failure.
ClientPathError* QxClient_getClientPath(char** path);

// The handle's message, valid until the handle is freed ("" for null).
const char* QxClient_errorMessage(const ClientPathError* error);

// 2 for the out-of-memory handle, else the record's code (0 for null).
int32_t QxClient_errorCode(const ClientPathError* error);

// Releases an error record; does nothing for null or the out-of-memory handle.
void QxClient_freeError(ClientPathError* error);

// Releases a string returned by QxClient_getClientPath (null is allowed).
void QxClient_freeString(char* path);

#ifdef __cplusplus
}
#endif

#endif
