#include "file_ages.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "derived_paths.h"
#include "failure.h"
#include "file_status.h"
#include "messages.h"
#include "pathwise/path_separator.h"

namespace dirscout {
namespace {

std::int32_t fileTime(const std::string& path, const char* failureFormat) {
    std::int64_t seconds = 0;
    if (!modificationTime(path, seconds)) {
        std::printf(failureFormat, path.c_str());
        std::perror(messages::kStatError);
        std::exit(kFailureStatus);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds)));
}

}  // namespace

std::int32_t getUserConfigFileAge() {
    return fileTime(getPersistentSitePath() + Corvane_QxWallet::kPathSeparator + "QxgssUserConfigFile.xml",
                    messages::kUserFileAgeError);
}

std::int32_t getConfigBinFileAge() {
    return fileTime(getLocalEtcPath() + Corvane_QxWallet::kPathSeparator + "qxgssconfig.bin",
                    messages::kBinFileAgeError);
}

}  // namespace dirscout
