// Replaces the plug-in's allocator (src/plugin_memory.cpp) in the test
// executable: the linker takes these definitions and leaves that file out.
#include "test_memory.h"

#include <cstdlib>
#include <cstring>
#include <map>

#include "plugin_memory.h"

namespace {

std::map<void*, std::size_t> g_live;
std::vector<test_memory::FreedBlock> g_freed;
int g_allocations = 0;
int g_fail_at = 0;

void* track(void* p, std::size_t size) {
    if (p != nullptr) {
        g_live[p] = size;
    }
    return p;
}

bool should_fail() {
    ++g_allocations;
    if (g_fail_at > 0 && --g_fail_at == 0) {
        return true;
    }
    return false;
}

}  // namespace

namespace test_memory {

void reset() {
    g_live.clear();
    g_freed.clear();
    g_allocations = 0;
    g_fail_at = 0;
}

void fail_allocation(int n) {
    g_fail_at = n;
}

int allocations() {
    return g_allocations;
}

int live_blocks() {
    return (int)g_live.size();
}

const std::vector<FreedBlock>& freed() {
    return g_freed;
}

}  // namespace test_memory

extern "C" void* qxnego_malloc(size_t size) {
    return should_fail() ? nullptr : track(std::malloc(size), size);
}

extern "C" void* qxnego_calloc(size_t count, size_t size) {
    return should_fail() ? nullptr : track(std::calloc(count, size), count * size);
}

extern "C" void qxnego_free(void* p) {
    if (p == nullptr) {
        return;
    }
    auto it = g_live.find(p);
    std::size_t size = it != g_live.end() ? it->second : 0;
    bool wiped = true;
    for (std::size_t i = 0; i < size; ++i) {
        wiped = wiped && static_cast<unsigned char*>(p)[i] == 0;
    }
    g_freed.push_back({size, wiped});
    if (it != g_live.end()) {
        g_live.erase(it);
    }
    std::free(p);
}
