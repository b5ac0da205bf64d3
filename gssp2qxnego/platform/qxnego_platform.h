/* The few platform calls the plug-in makes, behind one table of function
 * pointers: the millisecond tick counter, the host name and the current time
 * as the C library's ctime text. platform_win32.cpp and platform_posix.cpp
 * each fill the table with their platform's calls; a test may replace any
 * member (and put qxnego_platform_default back afterwards) to fix what the
 * plug-in sees. */
#ifndef QXNEGO_PLATFORM_H
#define QXNEGO_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The longest ctime text plus room to spare; ctime's own text is 26 bytes. */
#define QXNEGO_TIME_TEXT_SIZE 64
/* A host name of at most 259 bytes and its NUL. */
#define QXNEGO_HOST_NAME_SIZE 260

typedef struct QXNEGO_PlatformCalls {
    /* Milliseconds since an arbitrary start, in 32 bits (wraps after 2^32). */
    uint32_t (*tick_count)(void);
    /* The host name, NUL-terminated, into name (size bytes); 0 on success. */
    int (*host_name)(char* name, size_t size);
    /* The current time as ctime gives it (with its newline), NUL-terminated,
     * into text (size bytes); 0 on success. */
    int (*time_text)(char* text, size_t size);
} QXNEGO_PlatformCalls;

/* The calls the plug-in makes. */
extern QXNEGO_PlatformCalls qxnego_platform;
/* The platform's own calls. */
extern const QXNEGO_PlatformCalls qxnego_platform_default;

#ifdef __cplusplus
}
#endif

#endif
