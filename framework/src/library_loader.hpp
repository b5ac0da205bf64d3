// Loading a mechanism library and binding its entry points by prefix.
#pragma once

#include <string>

#include "qxgss_services.h"

namespace qxgss {

class MechanismLibrary {
public:
    // Loads `libraryName` (as a platform file name: lib<name>.so natively,
    // <name>.dll on Windows) from the first directory of `searchPath` that
    // has it, else through the platform's own search.
    static MechanismLibrary Load(const std::string& libraryName, const std::string& searchPath, std::string* error);

    bool loaded() const { return handle_ != nullptr; }
    // The export `<prefix>_<operation>`, or null.
    void* Find(const std::string& prefix, const char* operation) const;

private:
    void* handle_ = nullptr;  // kept loaded for the life of the process
};

// All entry points of a mechanism, by prefix (absent ones null).
gssp_mech_info BindEntryPoints(const MechanismLibrary& library, const std::string& prefix);

}  // namespace qxgss
