#include "usage.h"

#include <cstdio>

#include "messages.h"

namespace dirscout {

void printUsage() {
    for (const char* line : messages::kUsage) std::fputs(line, stdout);
}

}  // namespace dirscout
