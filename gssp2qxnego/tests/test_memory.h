// The test build's allocator for the plug-in: it keeps every block's size,
// can fail the n-th allocation, and records for each freed block whether its
// bytes were all zero when it was freed.
#ifndef QXNEGO_TEST_MEMORY_H
#define QXNEGO_TEST_MEMORY_H

#include <cstddef>
#include <vector>

namespace test_memory {

struct FreedBlock {
    std::size_t size;
    bool wiped;
};

void reset();
// The n-th allocation from now fails (1 the next one); 0 fails none.
void fail_allocation(int n);
int allocations();
// Blocks allocated and not freed through the plug-in.
int live_blocks();
const std::vector<FreedBlock>& freed();

}  // namespace test_memory

#endif
