// POSIX systems hand the arguments over as they were given (UTF-8 here).
#include "arguments.h"

namespace qxexample {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace qxexample
