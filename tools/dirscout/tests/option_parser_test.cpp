// The parser's rules for options that take an argument: the locator's own
// option string has none, so the black-box cases cannot reach them.
#include "option_parser.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dirscout {
namespace {

struct ParseResult {
    std::string letters;    // returned letters, '?' included
    std::string arguments;  // arguments taken, each followed by ';'
    int index = 0;
};

ParseResult parse(std::vector<const char*> args, const char* options) {
    std::vector<char*> argv;
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    std::FILE* sink = std::tmpfile();
    OptionParser parser(sink);
    ParseResult run;
    for (int c; (c = parser.getopt(static_cast<int>(args.size()), argv.data(), options)) != OptionParser::kEnd;) {
        run.letters += static_cast<char>(c);
        if (c != '?' && parser.argument) run.arguments += std::string(parser.argument) + ";";
        parser.argument = nullptr;
    }
    run.index = parser.index;
    std::fclose(sink);
    return run;
}

TEST(OptionParser, OptionsWithArguments) {
    const struct {
        std::vector<const char*> args;
        std::string letters, arguments;
        int index;
    } cases[] = {
        {{"p", "-ovalue", "-a"}, "oa", "value;", 3},
        {{"p", "-o", "value", "-a"}, "oa", "value;", 4},
        {{"p", "-ao", "value"}, "ao", "value;", 3},
        {{"p", "-aovalue", "x"}, "ao", "value;", 2},
        {{"p", "-o"}, "?", "", 2},
        {{"p", "-o", "--"}, "o", "--;", 3},
        {{"p", "-a", "--", "-a"}, "a", "", 3},
        {{"p", "-a", "-", "-a"}, "a", "", 2},
        {{"p", "-z", "-a"}, "?a", "", 3},
        {{"p"}, "", "", 1},
    };
    for (const auto& c : cases) {
        const ParseResult run = parse(c.args, "ao:");
        EXPECT_EQ(run.letters, c.letters) << c.args[1];
        EXPECT_EQ(run.arguments, c.arguments) << c.args[1];
        EXPECT_EQ(run.index, c.index) << c.args[1];
    }
}

TEST(OptionParser, ReportsAMissingArgumentWithTheProgramName) {
    std::FILE* sink = std::tmpfile();
    OptionParser parser(sink);
    char* argv[] = {const_cast<char*>("prog"), const_cast<char*>("-o"), nullptr};
    EXPECT_EQ(parser.getopt(2, argv, "o:"), '?');
    EXPECT_EQ(parser.getopt(2, argv, "o:"), OptionParser::kEnd);
    std::rewind(sink);
    char text[100] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, sink);
    std::fclose(sink);
    EXPECT_EQ(std::string(text, n), "prog: getopt missing argument for -o\n");
}

}  // namespace
}  // namespace dirscout
