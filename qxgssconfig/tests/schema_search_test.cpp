#include <gtest/gtest.h>

#include "schema_search.hpp"

namespace qx {
namespace {

TEST(DirectoryOf, SeparatorRulesAndFallbacks) {
    struct Case {
        const char* path;
        const char* dir;
    } cases[] = {
        {"dir/lib.xml", "dir"},
        {"a/b/c.xml", "a/b"},
        {"dir\\lib.xml", "dir"},
        {"a\\b/c.xml", "a"},  // a backslash wins over a later slash
        {"lib.xml", "."},
        {"", "."},
        {"/lib.xml", "/"},  // a file at the root gets the root
        {"\\lib.xml", "\\"},
        {"C:lib.xml", "C"},
        {"C:\\lib.xml", "C:"},
    };
    for (const Case& c : cases) EXPECT_EQ(DirectoryOf(c.path), c.dir) << c.path;
}

#ifndef _WIN32
TEST(FullPath, ResolvesLexically) {
    EXPECT_EQ(FullPath("/a/./b//c/../d.xsd"), "/a/b/d.xsd");
    EXPECT_EQ(FullPath("//QxgssConfigFile.xsd"), "/QxgssConfigFile.xsd");
    EXPECT_EQ(FullPath("/.."), "/");
}
#endif

}  // namespace
}  // namespace qx
