#include "memory.hpp"

#include <atomic>
#include <cstdlib>

#include "qxgss/framework.hpp"

namespace qxgss {
namespace {

std::atomic<int> gCount{0};
std::atomic<int> gFailAt{0};  // the count at which an allocation fails; 0 none

bool ShouldFail() {
    const int n = ++gCount;
    const int at = gFailAt.load();
    return at != 0 && n == at;
}

}  // namespace

void* Malloc(std::size_t size) { return ShouldFail() ? nullptr : std::malloc(size); }
void* Calloc(std::size_t count, std::size_t size) { return ShouldFail() ? nullptr : std::calloc(count, size); }
void* Realloc(void* p, std::size_t size) { return ShouldFail() ? nullptr : std::realloc(p, size); }

QXGSS_API void FailAllocation(int n) {
    gFailAt = n > 0 ? gCount.load() + n : 0;
}

QXGSS_API int AllocationCount() { return gCount.load(); }

}  // namespace qxgss
