// The comparison command line: program and template, and the arguments the program gets.
#include <gtest/gtest.h>

#include "scc/diff_command.h"

namespace scctest {
namespace {

using brelmoxscc::DiffArguments;
using brelmoxscc::SplitDiffCommand;

TEST(DiffCommandTest, ProgramAndTemplateAreSplitAsTyped) {
    const struct {
        const char* line;
        const char* program;
        const char* argumentTemplate;
    } cases[] = {
        {"\"/opt/my diff/cmp\" -w %s %s", "/opt/my diff/cmp", "-w %s %s"},
        {"'/opt/my diff/cmp' %s %s", "/opt/my diff/cmp", "%s %s"},
        {"  meld     %s   %s  ", "meld", "%s   %s"},
        {"kdiff3", "kdiff3", ""},
        {"\"/opt/unclosed -w %s", "/opt/unclosed -w %s", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitDiffCommand(c.line).program, c.program) << c.line;
        EXPECT_EQ(SplitDiffCommand(c.line).argumentTemplate, c.argumentTemplate) << c.line;
    }
}

TEST(DiffCommandTest, OnlyTheFirstTwoMarkersTakePathsAndNothingElseIsRead) {
    const std::string working = "/home/a/my work/main.c", copy = "/tmp/x/main.c";
    const struct {
        const char* argumentTemplate;
        std::vector<std::string> arguments;
    } cases[] = {
        {"-w %s %s", {"-w", working, copy}},
        {"%s   %s", {working, copy}},
        {"--left=%s --right=%s", {"--left=" + working, "--right=" + copy}},
        {"--auto", {"--auto"}},
        {"", {}},
        {"%s %s %s", {working, copy, "%s"}},
        {"%d %s %x%% %s", {"%d", working, "%x%%", copy}},
        {"\"a b\" %s", {"a b", working}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DiffArguments(c.argumentTemplate, working, copy), c.arguments)
            << c.argumentTemplate;
    }
}

}  // namespace
}  // namespace scctest
