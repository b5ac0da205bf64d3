#include "pipeline.hpp"

#include <cstdio>

#include "binary_file.hpp"
#include "document_tables.hpp"
#include "legal_values.hpp"
#include "merge.hpp"
#include "messages.hpp"
#include "output_file.hpp"
#include "rules.hpp"
#include "run_end.hpp"
#include "schema_search.hpp"
#include "xml_loader.hpp"

namespace qx {

int MergeConfigFiles(CompilerState& s, const std::string& libraryPath, const std::string& userPath) {
    s.library.clear();
    s.user.clear();
    s.merged.clear();

    const std::string schema = FindSchemaFile(libraryPath, userPath);

    s.current = &s.library;
    s.current->resetLastIndices();
    ParseConfigDocument(s, libraryPath, schema);

    s.legalValuesIndex = FindFirstElement(s, s.library, "LegalValues");
    if (s.legalValuesIndex < 0 || s.library.elements[s.legalValuesIndex].childCount == 0) {
        std::fputs(msg::kNoLegalValues, stdout);
        return 0;
    }
    s.legalValuesCount = s.library.elements[s.legalValuesIndex].childCount;

    if (ValidateDocument(s, s.library) < 0) {
        std::fputs(msg::kCorrectLibrary, stdout);
        return 0;
    }

    s.current = &s.user;
    s.current->resetLastIndices();
    ParseConfigDocument(s, userPath, schema);
    if (ValidateDocument(s, s.user) < 0) {
        std::fputs(msg::kCorrectUser, stdout);
        return 0;
    }

    if (!IsUserFile(s)) {
        std::fputs(msg::kNoConfigFileType, stdout);
        std::fputs(msg::kCorrectUser, stdout);
        return 0;
    }

    s.current = &s.merged;
    s.current->resetLastIndices();
    if (s.user.elementLast >= 0 && s.library.elementLast >= 0) MergeElements(s, 0, 0);
    RebuildParentLinks(s);
    RegroupElements(s);

    if (CheckMechanisms(s) <= 0) {
        std::fputs(msg::kCorrectXmlFiles, stdout);
        return 0;
    }
    if (CheckGlobalQops(s) <= 0) {
        std::fputs(msg::kCorrectGlobalQops, stdout);
        return 0;
    }
    if (CheckMechQops(s) <= 0) {
        std::fputs(msg::kCorrectMechQops, stdout);
        return 0;
    }
    return 1;
}

int RunCompiler(int argc, const char* const* argv) {
    try {
        if (argc != 4) {
            std::fputs(msg::kUsage, stdout);
            return 1;
        }
        auto state = MakeCompilerState();
        if (MergeConfigFiles(*state, argv[1], argv[2]) < 1) {
            std::fputs(msg::kProblemMerging, stdout);
            return 1;
        }
        WriteOutputFile(*state, argv[3]);
        std::printf(msg::kWrittenFormat, argv[3]);
        return 0;
    } catch (const RunEnded& end) {
        return end.status;
    }
}

}  // namespace qx
