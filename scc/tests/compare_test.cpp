// Compare: the quick compare by content, and the comparison program really started on the
// working file and a private copy of the repository's version.
#include <chrono>
#include <filesystem>
#include <thread>

#include "scc/compare.h"
#include "scc/tests/provider_fixture.h"
#include "test_support/answer_bytes.h"

namespace scctest {
namespace {

using brelmoxscc::Compare;

class CompareTest : public ProviderTest {
  protected:
    CompareTest() : context(LoggedIn()) {}

    void Serve(const std::string& repositoryContent) {
        server.Enqueue(testsupport::Answer({testsupport::HttpResponse(
            testsupport::FileRecord("main.c", "src", dir.ArchiveOf(repositoryContent)))}));
    }

    // The compare folders in the temporary folder.
    size_t CompareFolders() {
        size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path("tmp"))) {
            if (entry.path().filename().string().rfind("brelmox-compare-", 0) == 0) ++count;
        }
        return count;
    }

    // Waits up to ten seconds for the started programs' compare folders to go.
    size_t CompareFoldersLeft() {
        for (int i = 0; i < 1000 && CompareFolders() != 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return CompareFolders();
    }

    // Waits up to ten seconds for a file that a started program writes.
    std::string WaitForFile(const std::string& path) {
        for (int i = 0; i < 1000 && !std::filesystem::exists(path); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return std::filesystem::exists(path) ? dir.ReadFile(path) : "<never written>";
    }

    brelmoxscc::ProviderContext& context;
    const std::string file = dir.Path("app/src/main.c");
};

TEST_F(CompareTest, QuickCompareAnswersWhetherTheContentsDiffer) {
    const struct {
        const char* name;
        std::string repository;
        std::string working;
        LONG flags;
        SCCRTN result;
    } cases[] = {
        {"equal", "int main;\n", "int main;\n", SCC_DIFF_QD_CONTENTS, SCC_OK},
        {"one byte changed", "int main;\n", "int maim;\n", SCC_DIFF_QD_CONTENTS, SCC_I_FILEDIFFERS},
        {"longer", "int main;\n", "int main;\n\n", SCC_DIFF_QD_CHECKSUM, SCC_I_FILEDIFFERS},
        {"shorter", "int main;\n", "int main;", SCC_DIFF_QD_TIME, SCC_I_FILEDIFFERS},
        {"large, equal", std::string(300000, 'x'), std::string(300000, 'x'), SCC_DIFF_QD_TIME,
         SCC_OK},
    };
    for (const auto& c : cases) {
        Serve(c.repository);
        dir.WriteFile("app/src/main.c", c.working);
        EXPECT_EQ(Compare(context, file.c_str(), c.flags), c.result) << c.name;
    }
    std::filesystem::remove(file);
    Serve("int main;\n");
    EXPECT_EQ(Compare(context, file.c_str(), SCC_DIFF_QD_CONTENTS), SCC_I_FILEDIFFERS);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(CompareFolders(), 0u);
}

// A fetch that fails leaves nothing to compare with, which is never "equal", not even for
// an empty working file; a damaged archive whose first pieces matched is no exception.
TEST_F(CompareTest, AFailedFetchIsAFailureNotAnAnswer) {
    std::string damaged = dir.ArchiveOf(std::string(5000, 'x'));
    damaged[damaged.size() / 2] ^= 0x55;
    const struct {
        const char* name;
        std::string working;
        testsupport::ScriptedReply reply;
        SCCRTN result;
    } cases[] = {
        {"refused, empty working file", "",
         testsupport::Answer({testsupport::HttpResponse(
             testsupport::StatusBody(-2009, "not in the repository") + testsupport::RecordEnd())}),
         SCC_E_FILENOTCONTROLLED},
        {"refused", "x",
         testsupport::Answer({testsupport::HttpResponse(
             testsupport::StatusBody(-2009, "not in the repository") + testsupport::RecordEnd())}),
         SCC_E_FILENOTCONTROLLED},
        {"damaged archive", std::string(5000, 'x'),
         testsupport::Answer(
             {testsupport::HttpResponse(testsupport::FileRecord("main.c", "src", damaged))}),
         SCC_E_CONNECTIONFAILURE},
        {"server down", "", testsupport::Answer({testsupport::HttpResponse("down", 503)}),
         SCC_E_CONNECTIONFAILURE},
    };
    for (const auto& c : cases) {
        for (const LONG flags : {LONG{SCC_DIFF_QD_CONTENTS}, LONG{0}}) {
            server.Enqueue(c.reply);
            dir.WriteFile("app/src/main.c", c.working);
            context.m_strDiffCommand = "true %s %s";
            EXPECT_EQ(Compare(context, file.c_str(), flags), c.result) << c.name << " " << flags;
            EXPECT_EQ(CompareFolders(), 0u) << c.name;
        }
    }
}

TEST_F(CompareTest, TheComparisonProgramGetsTheWorkingFileAndAPrivateCopy) {
#ifdef _WIN32
    GTEST_SKIP() << "the comparison program here is a shell script";
#endif
    const std::string script = dir.WriteFile("bin/compare tool",
                                             "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done "
                                             ">\"$0.args.tmp\"\ncat \"$2\" >>\"$0.args.tmp\"\n"
                                             "mv \"$0.args.tmp\" \"$0.args\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    context.m_strDiffCommand = "\"" + script + "\"  %s %s --third=%s";
    dir.WriteFile("app/src/main.c", "working\n");
    Serve("repository\n");
    EXPECT_EQ(Compare(context, file.c_str(), 0), SCC_OK);
    const std::string said = WaitForFile(script + ".args");
    const std::string copy =
        dir.Path("tmp/") + said.substr(said.find("brelmox-compare-"), 22) + "/main.c";
    EXPECT_EQ(said, file + "\n" + copy + "\n--third=%s\nrepository\n");
    EXPECT_EQ(Field(1, "viewpath"), "src\\main.c");
    EXPECT_EQ(Field(1, "checkout"), "N");
    EXPECT_TRUE(ui.messages.empty());
    // The program has ended: its copy and the folder go.
    EXPECT_EQ(CompareFoldersLeft(), 0u);
}

TEST_F(CompareTest, AMissingProgramIsNamedAndAFileOutsideIsNotControlled) {
    context.m_strDiffCommand = "no-such-compare-tool %s %s";
    dir.WriteFile("app/src/main.c", "working\n");
    Serve("repository\n");
    EXPECT_EQ(Compare(context, file.c_str(), 0), SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "File Comparison Utility, no-such-compare-tool, not found."});
    EXPECT_EQ(CompareFolders(), 0u);

    const std::string outside = dir.WriteFile("elsewhere/main.c", "x");
    EXPECT_EQ(Compare(context, outside.c_str(), SCC_DIFF_QD_CONTENTS), SCC_E_FILENOTCONTROLLED);
    EXPECT_EQ(Compare(context, nullptr, 0), SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(server.RequestCount(), 2u);
}

}  // namespace
}  // namespace scctest
