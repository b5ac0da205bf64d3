// All compiler state of one run: the string pool, the library, user and
// merged document tables, the final element table and the LegalValues
// position. The pipeline fills it from start to end.
#pragma once

#include <memory>

#include "records.hpp"
#include "string_pool.hpp"

namespace qx {

struct FinalTable {
    std::array<ElementRecord, kMaxElements> elements{};
    int elementLast = -1;
};

struct CompilerState {
    StringPool pool;
    DocumentTables library;
    DocumentTables user;
    DocumentTables merged;
    FinalTable final;

    // The tables that appends go to and that the rule checks read.
    DocumentTables* current = &library;

    // The library's LegalValues element and its count of element children.
    int legalValuesIndex = -1;
    int legalValuesCount = 0;

    // Walk state of the DOM recorder.
    int depth = 0;
    int currentParent = 0;

    const char* str(std::int32_t offset) const { return pool.at(offset); }
};

// A fresh state on the heap (the tables are large).
std::unique_ptr<CompilerState> MakeCompilerState();

}  // namespace qx
