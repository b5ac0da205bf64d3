// How the locator stops when an answer cannot be produced.
#ifndef DIRSCOUT_FAILURE_H
#define DIRSCOUT_FAILURE_H

#include <cstdio>

namespace dirscout {

inline constexpr int kFailureStatus = 1;

// Writes the message to the stream and ends the process with status 1.
[[noreturn]] void failWith(std::FILE* stream, const char* message);

}  // namespace dirscout

#endif
