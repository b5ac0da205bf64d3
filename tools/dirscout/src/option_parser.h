// The locator's own option parser, one option letter per call, in the
// manner of the classic getopt: letters may share one dash, "--" ends the
// options and is skipped, a lone "-" or any non-option argument ends them
// and stays. A letter followed by ':' in the option string takes an argument.
#ifndef DIRSCOUT_OPTION_PARSER_H
#define DIRSCOUT_OPTION_PARSER_H

#include <cstdio>

namespace dirscout {

class OptionParser {
public:
    static constexpr int kEnd = -1;

    explicit OptionParser(std::FILE* diagnostics = stderr) : diagnostics_(diagnostics) {}

    // The next option letter, '?' for an unknown letter or a missing
    // argument (reported when reportErrors is set), or kEnd.
    int getopt(int argc, char* const argv[], const char* options);

    int index = 1;                   // next argument to examine
    bool reportErrors = true;        // print diagnostics
    int lastOption = 0;              // last option letter examined
    const char* argument = nullptr;  // argument of the last option that takes one

private:
    std::FILE* diagnostics_;
    const char* scan_ = nullptr;  // inside the current argument; null or at its end when a new one is due
};

}  // namespace dirscout

#endif
