// The command line as UTF-8 text on every platform (Windows hands it to
// main in the ANSI code page, which loses characters; it is read here from
// the UTF-16 command line instead).
#pragma once

#include <string>
#include <vector>

namespace qxexample {

// The arguments after the program name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace qxexample
