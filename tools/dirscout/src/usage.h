#ifndef DIRSCOUT_USAGE_H
#define DIRSCOUT_USAGE_H

namespace dirscout {

// Writes the usage text to standard output.
void printUsage();

}  // namespace dirscout

#endif
