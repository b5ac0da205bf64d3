#include "option_parser.h"

#include <cstring>

#include "messages.h"

namespace dirscout {

int OptionParser::getopt(int argc, char* const argv[], const char* options) {
    if (scan_ == nullptr || *scan_ == '\0') {
        if (index >= argc) return kEnd;
        const char* arg = argv[index];
        if (arg == nullptr || arg[0] != '-' || arg[1] == '\0') return kEnd;
        if (std::strcmp(arg, "--") == 0) {
            ++index;
            return kEnd;
        }
        ++index;
        scan_ = arg + 1;
    }

    const char letter = *scan_++;
    lastOption = static_cast<unsigned char>(letter);
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "";

    const char* found = letter == ':' ? nullptr : std::strchr(options, letter);
    if (found == nullptr) {
        if (reportErrors) std::fprintf(diagnostics_, messages::kUndefinedSwitch, program, letter);
        return '?';
    }
    if (found[1] == ':') {
        if (*scan_ != '\0') {
            argument = scan_;
        } else if (index < argc) {
            argument = argv[index++];
        } else {
            argument = nullptr;
            scan_ = nullptr;
            if (reportErrors) std::fprintf(diagnostics_, messages::kMissingArgument, program, letter);
            return '?';
        }
        scan_ = nullptr;
    }
    return lastOption;
}

}  // namespace dirscout
