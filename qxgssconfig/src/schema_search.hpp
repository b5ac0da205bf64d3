// Where the schema QxgssConfigFile.xsd is found: beside the user file first,
// then beside the library file.
#pragma once

#include <string>

namespace qx {

inline constexpr const char* kSchemaFileName = "QxgssConfigFile.xsd";

// Directory part of a path: up to the last backslash, else the last slash,
// else the last colon; "." when there is none. A path whose only separator is
// its first character (a file at the root) gets the root itself.
std::string DirectoryOf(const std::string& path);

// Absolute path of the schema with forward slashes; ends the run when no
// readable schema file is found.
std::string FindSchemaFile(const std::string& libraryPath, const std::string& userPath);

// The platform's full-path resolution (relative to the working directory).
std::string FullPath(const std::string& path);

}  // namespace qx
