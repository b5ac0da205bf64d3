/* Memory the plug-in owns: every allocation goes through these three calls
 * (plain malloc/calloc/free), so a test build can observe and fail them. */
#ifndef QXNEGO_PLUGIN_MEMORY_H
#define QXNEGO_PLUGIN_MEMORY_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void* qxnego_malloc(size_t size);
void* qxnego_calloc(size_t count, size_t size);
void qxnego_free(void* p);

#ifdef __cplusplus
}
#endif

/* Overwrites n bytes with zeros in a way the compiler keeps. */
static inline void qxnego_wipe(void* p, size_t n) {
    volatile unsigned char* v = (volatile unsigned char*)p;
    while (n-- > 0) {
        *v++ = 0;
    }
}

#endif
