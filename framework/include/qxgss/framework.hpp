// The framework stand-in's own interface: how its start-up (and a test)
// fills the mechanism table, the mechanism properties and the per-user
// policy that the services of qxgss_services.h answer from.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qxgss_services.h"

namespace qxgss {

// Mechanism properties by number, with the name they have in the
// configuration file's MechanismProperties element.
struct PropertyDefinition {
    std::uint32_t number;
    const char* name;
    bool boolean;
};
QXGSS_API const std::vector<PropertyDefinition>& PropertyDefinitions();

struct MechanismDefinition {
    std::string name;
    std::string oid;  // dotted
    std::string libraryName;
    std::string prefix;
    bool enabled = true;
    std::map<std::uint32_t, std::int32_t> properties;          // booleans as 0/1
    std::vector<std::pair<bool, std::string>> negotiable;      // {usable, dotted OID}
};

// Adds a mechanism with its entry points (any may be null) and returns its
// index in the table; false when the OID text is not an OID or the name or
// OID is already in the table.
QXGSS_API bool AddMechanism(const MechanismDefinition& definition, const gssp_mech_info& entryPoints, std::uint32_t* index,
                  std::string* error);
// Replaces the entry points of mechanism `index` (its name, negotiable list
// and enabled flag stay); false for an index outside the table.
QXGSS_API bool SetMechanismEntryPoints(std::uint32_t index, const gssp_mech_info& entryPoints);
// Clears the enabled flag of mechanism `index`.
QXGSS_API void DisableMechanism(std::uint32_t index);

// Test seam: the n-th allocation from now of a record the framework hands
// out fails (1 the next one; 0 fails none). AllocationCount() counts them.
QXGSS_API void FailAllocation(int n);
QXGSS_API int AllocationCount();

// Empties the mechanism table, the properties and the policy.
QXGSS_API void ResetFramework();

// The mechanisms a user may use, by dotted OID; a user without an entry
// gets an empty answer (no restriction).
QXGSS_API void SetUserPolicy(const std::string& user, const std::vector<std::string>& dottedOids);

// Start-up from a compiled configuration file: the mechanism table, the
// properties, the negotiable lists and the per-user policy come from the
// file; each enabled mechanism's library is loaded by its library name and
// its entry points are bound by its export prefix; then every loaded
// mechanism's configure entry point is called (mechanisms that negotiate
// others last). A mechanism whose library cannot be loaded or whose
// configure call fails stays in the table, disabled, with a message.
struct StartupReport {
    bool ok = false;                    // the file was read and the table built
    std::string error;                  // why not, when !ok
    std::vector<std::string> messages;  // per-mechanism notes, in order
};
// Libraries are looked for in the directories of `libraryPath` (separated
// by ':' natively, ';' on Windows; empty: the platform's own search).
QXGSS_API StartupReport StartFramework(const std::string& configPath, const std::string& libraryPath);

}  // namespace qxgss
