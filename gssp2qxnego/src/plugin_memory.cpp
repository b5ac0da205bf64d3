// The plug-in's allocator: the C library's, unchanged. Kept in a file of its
// own so that a test executable can link its own versions instead.
#include "plugin_memory.h"

#include <stdlib.h>

extern "C" void* qxnego_malloc(size_t size) {
    return malloc(size);
}

extern "C" void* qxnego_calloc(size_t count, size_t size) {
    return calloc(count, size);
}

extern "C" void qxnego_free(void* p) {
    free(p);
}
