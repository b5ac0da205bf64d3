// The versions the locator knows.
#ifndef DIRSCOUT_VERSIONS_H
#define DIRSCOUT_VERSIONS_H

namespace dirscout {

// Used in directory names and in the registry key of the client.
inline constexpr char kShortVersion[] = "15.10";
// Printed by -l.
inline constexpr char kLongVersion[] = "15.10.01.00";

}  // namespace dirscout

#endif
