// The allocations behind the C records the framework hands out (buffers,
// names, OID bytes and sets, encodings, application records). They go
// through here so that a test can make the n-th of them fail.
#pragma once

#include <cstddef>

namespace qxgss {

void* Malloc(std::size_t size);
void* Calloc(std::size_t count, std::size_t size);
void* Realloc(void* p, std::size_t size);

}  // namespace qxgss
