#include "failure.h"

#include <cstdlib>

namespace dirscout {

void failWith(std::FILE* stream, const char* message) {
    std::fputs(message, stream);
    std::exit(kFailureStatus);
}

}  // namespace dirscout
