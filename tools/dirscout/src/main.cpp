// dirscout: prints facts about the client installation for scripts.
#include <cstdio>

#include "client_install_path.h"
#include "derived_paths.h"
#include "file_ages.h"
#include "option_parser.h"
#include "usage.h"
#include "versions.h"

namespace dirscout {
namespace {

void printClientPath() { std::fputs(getClientInstallPath().get(), stdout); }
void printSitePath() { std::fputs(getPersistentSitePath().c_str(), stdout); }
void printShortVersionPath() { std::fputs(getShortVersionPath().c_str(), stdout); }
void printLocalEtcPath() { std::fputs(getLocalEtcPath().c_str(), stdout); }
void printLocalBinPath() { std::fputs(getLocalBinPath().c_str(), stdout); }
void printLongVersion() { std::fputs(kLongVersion, stdout); }
void printUserConfigFileAge() { std::printf("\n%d\n", static_cast<int>(getUserConfigFileAge())); }
void printConfigBinFileAge() { std::printf("\n%d\n", static_cast<int>(getConfigBinFileAge())); }

struct Command {
    char option;
    void (*run)();
};

constexpr char kOptions[] = "csveblyzh";
constexpr Command kCommands[] = {
    {'c', printClientPath},   {'s', printSitePath},          {'v', printShortVersionPath},
    {'e', printLocalEtcPath}, {'b', printLocalBinPath},      {'l', printLongVersion},
    {'y', printUserConfigFileAge}, {'z', printConfigBinFileAge}, {'h', printUsage},
};

void dispatch(int option) {
    for (const Command& command : kCommands)
        if (command.option == option) return command.run();
    // '?' and anything else: ignored
}

}  // namespace
}  // namespace dirscout

int main(int argc, char* argv[]) {
    using namespace dirscout;
    if (argc <= 1) printUsage();
    OptionParser parser;
    for (int option; (option = parser.getopt(argc, argv, kOptions)) != OptionParser::kEnd;) dispatch(option);
    return 0;
}
