// The separator of the paths Pathwise builds and returns: a backslash on
// Windows, '/' in the native build.
#ifndef PATHWISE_PATH_SEPARATOR_H
#define PATHWISE_PATH_SEPARATOR_H

namespace Corvane_QxWallet {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace Corvane_QxWallet

#endif
