// Modification times of the two configuration files.
#ifndef DIRSCOUT_FILE_AGES_H
#define DIRSCOUT_FILE_AGES_H

#include <cstdint>

namespace dirscout {

// Seconds since 1970-01-01 UTC, the low 32 bits read as signed. On failure
// each prints its message and ends the process with status 1.
std::int32_t getUserConfigFileAge();  // site directory\QxgssUserConfigFile.xml
std::int32_t getConfigBinFileAge();   // local ETC directory\qxgssconfig.bin

}  // namespace dirscout

#endif
