// The merge, seen through the final element table: each case lays a small
// user document over a small library document and compares the merged tree.
#include <cstdio>
#include <fstream>
#include <string>

#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#endif

#include <gtest/gtest.h>

#include "pipeline.hpp"
#include "run_end.hpp"

#ifndef QX_SCHEMA_PATH
#error QX_SCHEMA_PATH must name the shipped schema
#endif

namespace qx {
namespace {

const char* kLibraryStart =
    "<QxgssConfig><Header ConfigFileType='library'/>"
    "<LegalValues><MechanismEnabled>yes no</MechanismEnabled></LegalValues>";
// Global QOPs for the names the cases' MechQops map.
const char* kLibraryEnd =
    "<GlobalQOPs><GlobalQOP Value='Q'/><GlobalQOP Value='LIB'/><GlobalQOP Value='SITE'/><GlobalQOP Value='QOP'/>"
    "</GlobalQOPs></QxgssConfig>";

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The merged document as indented lines: name, attributes, texts.
void Render(const CompilerState& s, int i, int depth, std::string& out) {
    const ElementRecord& e = s.final.elements[i];
    out += std::string(depth * 2, ' ') + s.str(e.name);
    for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
        out += std::string(" ") + s.str(s.merged.attributes[a].name) + "=" + s.str(s.merged.attributes[a].value);
    }
    for (int t = e.firstText; t < e.firstText + e.textCount; ++t) {
        out += std::string(" \"") + s.str(s.merged.texts[t].value) + "\"";
    }
    out += "\n";
    for (int c = e.firstChild; e.childCount > 0 && c < e.firstChild + e.childCount; ++c) Render(s, c, depth + 1, out);
}

// A folder of its own for each case, in the working directory (the build
// folder): the cases may run in parallel processes, and a Windows build
// under the emulator may have no temporary folder.
std::string CaseFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    const std::string dir = "qxmerge-" + name + "/";
#ifdef _WIN32
    _mkdir(dir.c_str());
#else
    mkdir(dir.c_str(), 0700);
#endif
    return dir;
}

std::string Merge(const std::string& libraryBody, const std::string& userBody) {
    const std::string dir = CaseFolder();
    WriteFile(dir + "QxgssConfigFile.xsd", std::string(std::istreambuf_iterator<char>(
                                               *std::make_unique<std::ifstream>(QX_SCHEMA_PATH, std::ios::binary)),
                                           {}));
    WriteFile(dir + "lib.xml", kLibraryStart + libraryBody + kLibraryEnd);
    WriteFile(dir + "user.xml", "<QxgssConfig><Header ConfigFileType='user'/>" + userBody + "</QxgssConfig>");
    auto state = MakeCompilerState();
    try {
        if (MergeConfigFiles(*state, dir + "lib.xml", dir + "user.xml") != 1) return "merge failed";
    } catch (const RunEnded&) {
        return "run ended";
    }
    std::string out;
    Render(*state, 0, 0, out);
    // Header and LegalValues are the same in every case.
    const std::string fixed =
        "QxgssConfig\n  Header ConfigFileType=user\n";
    EXPECT_EQ(out.compare(0, fixed.size(), fixed), 0) << out;
    // The Mechanisms subtree: the user's children come first.
    const auto mechanisms = out.find("  Mechanisms");
    const auto legalValues = out.find("  LegalValues");
    if (mechanisms == std::string::npos || legalValues < mechanisms) return out;
    return out.substr(mechanisms, legalValues - mechanisms);
}

struct MergeCase {
    const char* name;
    const char* library;
    const char* user;
    const char* merged;
};

class MergeCases : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCases, MergedTree) {
    const MergeCase& c = GetParam();
    EXPECT_EQ(Merge(c.library, c.user), c.merged);
}

// Attributes are listed in the parser's order (sorted by name), user-only
// attributes after the library's.
const MergeCase kMergeCases[] = {
    {"one_sibling_merged_user_values_win",
     "<Mechanisms><Mechanism Name='M1' LibName='lib1' Prefix='P1'/></Mechanisms>",
     "<Mechanisms><Mechanism Name='m1' LibName='site' OID='1.2'/></Mechanisms>",
     "  Mechanisms\n    Mechanism LibName=site Name=m1 Prefix=P1 OID=1.2\n"},
    {"library_elements_follow_the_users",
     "<Mechanisms><Mechanism Name='M1'/><Mechanism Name='M2'/></Mechanisms>",
     "<Mechanisms><Mechanism Name='M2'/><Mechanism Name='M3'/></Mechanisms>",
     "  Mechanisms\n    Mechanism Name=M2\n    Mechanism Name=M3\n    Mechanism Name=M1\n"},
    {"two_siblings_none_covers_adds_new",
     "<Mechanisms><Mechanism Name='M1' LibName='a'/><Mechanism Name='M1' LibName='b'/></Mechanisms>",
     "<Mechanisms><Mechanism Name='M1' LibName='c'/></Mechanisms>",
     "  Mechanisms\n    Mechanism LibName=c Name=M1\n    Mechanism LibName=a Name=M1\n    Mechanism LibName=b Name=M1\n"},
    {"two_siblings_covering_one_is_merged",
     "<Mechanisms><Mechanism Name='M1' LibName='a'/>"
     "<Mechanism Name='M1' LibName='b'><MechQop Value='1'>Q</MechQop></Mechanism></Mechanisms>",
     "<Mechanisms><Mechanism Name='m1' LibName='B'/></Mechanisms>",
     "  Mechanisms\n    Mechanism LibName=B Name=m1\n      MechQop Value=1 \"Q\"\n    Mechanism LibName=a Name=M1\n"},
    {"text_comes_from_the_user_element",
     "<Mechanisms><Mechanism Name='M1'><MechQop Value='0'>LIB</MechQop><MechQop Value='2'>LIB</MechQop>"
     "</Mechanism></Mechanisms>",
     "<Mechanisms><Mechanism Name='M1'><MechQop Value='0'/><MechQop Value='2'>  SITE   QOP </MechQop>"
     "</Mechanism></Mechanisms>",
     "  Mechanisms\n    Mechanism Name=M1\n      MechQop Value=0\n      MechQop Value=2 \"SITE QOP\"\n"},
    {"negotiated_mechanism_replaced_by_object_id",
     "<Mechanisms><Mechanism Name='NEG'><NegotiatedMechanism ObjectId='1.1' Usable='yes'/>"
     "<NegotiatedMechanism ObjectId='1.2' Usable='yes'/></Mechanism></Mechanisms>",
     "<Mechanisms><Mechanism Name='NEG'><NegotiatedMechanism ObjectId='1.2' Usable='no'/></Mechanism></Mechanisms>",
     "  Mechanisms\n    Mechanism Name=NEG\n      NegotiatedMechanism ObjectId=1.2 Usable=no\n"
     "      NegotiatedMechanism ObjectId=1.1 Usable=yes\n"},
    {"negotiated_mechanism_under_another_parent_kept",
     "<Mechanisms><Mechanism Name='A'><NegotiatedMechanism ObjectId='1.2'/><NegotiatedMechanism ObjectId='1.3'/>"
     "</Mechanism><Mechanism Name='B'><NegotiatedMechanism ObjectId='1.2'/></Mechanism></Mechanisms>",
     "<Mechanisms><Mechanism Name='A'><NegotiatedMechanism ObjectId='1.2' Usable='no'/></Mechanism></Mechanisms>",
     "  Mechanisms\n    Mechanism Name=A\n      NegotiatedMechanism ObjectId=1.2 Usable=no\n"
     "      NegotiatedMechanism ObjectId=1.3\n    Mechanism Name=B\n      NegotiatedMechanism ObjectId=1.2\n"},
};

INSTANTIATE_TEST_SUITE_P(Merge, MergeCases, ::testing::ValuesIn(kMergeCases),
                         [](const ::testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace qx
