// The one way the compiler ends a run early. Conditions it cannot continue
// from unwind to the driver, which turns them into the process's exit status;
// a fuzzer or a test can catch the same exception and go on.
#pragma once

namespace qx {

struct RunEnded {
    int status;
};

[[noreturn]] inline void EndRun(int status) { throw RunEnded{status}; }

}  // namespace qx
