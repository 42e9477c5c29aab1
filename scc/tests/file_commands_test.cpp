// The six file commands: the paths they send, how they fold per-file codes, the refused
// outside path and the add command's progress window.
#include <functional>

#include "scc/file_commands.h"
#include "scc/tests/provider_fixture.h"
#include "scc/view_path.h"
#include "test_support/answer_bytes.h"

namespace scctest {
namespace {

using namespace brelmoxscc;

// A file the command sends, answered with this server status; or one outside the project
// folder, which fails locally with -1001 and sends nothing.
constexpr int kOutside = 1;

class FileCommandsTest : public ProviderTest {
  protected:
    FileCommandsTest() : context(LoggedIn()) {}

    // One IDE path per code: an existing file below the project folder (or outside it),
    // with the server's answer for it queued in the form the command reads.
    std::vector<std::string> Files(const std::vector<int>& codes, bool records) {
        std::vector<std::string> paths;
        for (size_t i = 0; i < codes.size(); ++i) {
            const std::string name = "f" + std::to_string(i) + ".c";
            if (codes[i] == kOutside) {
                paths.push_back(dir.WriteFile("elsewhere/" + name, "x"));
                continue;
            }
            paths.push_back(dir.WriteFile("app/src/" + name, "x"));
            const std::string error = codes[i] != 0 ? "refused " + name : "";
            server.Enqueue(testsupport::Answer({testsupport::HttpResponse(
                records ? Record(codes[i], error)
                        : testsupport::StatusBody(codes[i], error) +
                              testsupport::KeywordField("name:", name) +
                              testsupport::KeywordField("viewpath:", "src"))}));
        }
        return paths;
    }

    SCCRTN Run(const std::function<SCCRTN(ProviderContext&, LONG, const LPCSTR*)>& command,
               const std::vector<std::string>& paths) {
        std::vector<LPCSTR> files;
        for (const std::string& path : paths) files.push_back(path.c_str());
        return command(context, static_cast<LONG>(files.size()), files.data());
    }

    ProviderContext& context;
};

struct FoldCase {
    const char* command;
    std::vector<int> codes;
    SCCRTN result;
};

TEST_F(FileCommandsTest, PerFileCodesFoldIntoOneResult) {
    using Command = std::function<SCCRTN(ProviderContext&, LONG, const LPCSTR*)>;
    const std::map<std::string, std::pair<Command, bool>> commands = {
        {"add", {AddToRepository, false}},
        {"ci",
         {[](ProviderContext& c, LONG n, const LPCSTR* f) { return CheckIn(c, n, f, "fix"); },
          false}},
        {"co", {CheckOut, true}},
        {"get", {GetLatest, true}},
        {"unco", {UndoCheckOut, true}},
        {"rm", {RemoveFromRepository, true}},
    };
    const FoldCase cases[] = {
        {"add", {0, -2007, 0}, SCC_OK},
        {"add", {kOutside, -2007}, SCC_E_CONNECTIONFAILURE},  // -2007 never clears a failure
        {"add", {-2007, kOutside}, SCC_E_CONNECTIONFAILURE},
        {"add", {-2008, 0}, SCC_E_CONNECTIONFAILURE},
        {"ci", {kOutside, 0, 0}, SCC_E_CONNECTIONFAILURE},
        {"ci", {0, -2008}, SCC_E_CONNECTIONFAILURE},
        {"co", {-2008, 0}, SCC_E_CONNECTIONFAILURE},
        {"get", {-2009, kOutside}, SCC_E_CONNECTIONFAILURE},
        {"get", {kOutside, -2009}, SCC_E_FILENOTCONTROLLED},
        {"get", {-2002}, SCC_E_FILENOTCONTROLLED},
        {"get", {-2013}, SCC_E_CONNECTIONFAILURE},
        {"unco", {-2010}, SCC_E_NOTCHECKEDOUT},
        {"unco", {-2016, 0}, SCC_E_NOTAUTHORIZED},
        {"unco", {kOutside}, SCC_E_CONNECTIONFAILURE},
        {"unco", {-2008, 0}, SCC_OK},  // server statuses outside the table are not failures
        {"rm", {-2008}, SCC_E_FILEISLOCKED},
        {"rm", {kOutside, 0}, SCC_E_CONNECTIONFAILURE},
        {"rm", {-2002}, SCC_OK},
    };
    for (const FoldCase& c : cases) {
        const auto& [command, records] = commands.at(c.command);
        const size_t before = server.RequestCount();
        const std::vector<std::string> paths = Files(c.codes, records);
        const size_t sent = static_cast<size_t>(std::count_if(
            c.codes.begin(), c.codes.end(), [](int code) { return code != kOutside; }));
        EXPECT_EQ(Run(command, paths), c.result)
            << c.command << " " << ::testing::PrintToString(c.codes);
        EXPECT_EQ(server.RequestCount() - before, sent) << c.command;
    }
}

TEST_F(FileCommandsTest, RefusalsShowTheServersTextExceptForGetAndCheckOut) {
    Run(AddToRepository, Files({-2008}, false));
    Run(UndoCheckOut, Files({-2016}, true));
    Run(RemoveFromRepository, Files({-2008}, true));
    Run(GetLatest, Files({-2009}, true));
    Run(CheckOut, Files({-2008}, true));
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{"refused f0.c", "refused f0.c", "refused f0.c"}));
}

TEST_F(FileCommandsTest, RequestsNameTheViewPathOrTheViewFolder) {
    const std::string main = dir.WriteFile("app/src/main.c", "x");
    const std::string root = dir.WriteFile("app/a.c", "x");
    const std::string dotted = dir.WriteFile("app/.settings/x.cfg", "x");
    for (int i = 0; i < 3; ++i) server.Enqueue(testsupport::StatusReply(0));
    for (int i = 0; i < 3; ++i)
        server.Enqueue(testsupport::Answer({testsupport::HttpResponse("")}));
    EXPECT_EQ(Run([](ProviderContext& c, LONG n,
                     const LPCSTR* f) { return CheckIn(c, n, f, "the comment"); },
                  {main, root, dotted}),
              SCC_OK);
    EXPECT_EQ(Run(GetLatest, {main, root, dotted}), SCC_OK);
    const std::string expected[][2] = {
        {"src", "src\\main.c"}, {"", "a.c"}, {".settings", ".settings\\x.cfg"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Field(1 + i, "viewpath"), expected[i][0]);
        EXPECT_EQ(Field(1 + i, "description"), "the comment");
        EXPECT_EQ(Field(1 + i, "checkin"), "Y");
        EXPECT_EQ(Field(4 + i, "viewpath"), expected[i][1]);
        EXPECT_EQ(Field(4 + i, "checkout"), "N");
    }
}

TEST_F(FileCommandsTest, PathsThatNameNoFileBelowTheProjectSendNothing) {
    const std::string inside = dir.WriteFile("app/a.c", "x");
    const std::string cases[] = {
        dir.Path("elsewhere/a.c"),    // another folder
        dir.Path("app/../apps/a.c"),  // climbs out
        dir.Path("app"),              // the project folder itself
        "app/a.c",                    // not a full path
#ifndef _WIN32
        dir.Path("app/odd\\name.c"),  // a name the repository would read as a folder
#endif
        "",
    };
    for (const std::string& path : cases) {
        ui.messages.clear();
        EXPECT_EQ(Run(UndoCheckOut, {path}), SCC_E_CONNECTIONFAILURE) << path;
        ASSERT_EQ(ui.messages.size(), 1u) << path;
        EXPECT_NE(ui.messages[0].find("'" + path + "'"), std::string::npos) << ui.messages[0];
    }
    EXPECT_EQ(ui.messages.back().find("Cannot use '': it is not inside the project folder '" +
                                      dir.Path("app") + "'."),
              0u);
    ui.messages.clear();
    EXPECT_EQ(Run(AddToRepository, {dir.Path("app/missing.c")}), SCC_E_CONNECTIONFAILURE);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot open '" + dir.Path("app/missing.c") +
                                                    "': No such file or directory"});
    EXPECT_EQ(server.RequestCount(), 1u);  // the login alone
    EXPECT_FALSE(inside.empty());
}

// The repository reads '*' and '?' in a view path as a pattern: a file literally named so
// is refused before anything is sent, so that no other file is added, fetched over its
// unsaved edits, released or removed in its name.
TEST_F(FileCommandsTest, NamesWithWildcardsAreRefusedNotMatched) {
    // Windows keeps no file of such a name, but an IDE may still pass one.
    const auto named = [this](const std::string& name) {
#ifdef _WIN32
        return dir.Path(name);
#else
        return dir.WriteFile(name, "the file named " + name);
#endif
    };
    const std::string literal = named("app/a?.c");
    const std::string other = dir.WriteFile("app/ab.c", "unsaved edits of ab.c");
    const std::string star = named("app/*.c");
    const std::string inFolder = named("app/a*/x.c");
    using Command = std::function<SCCRTN(ProviderContext&, LONG, const LPCSTR*)>;
    const Command commands[] = {
        AddToRepository,
        [](ProviderContext& c, LONG n, const LPCSTR* f) { return CheckIn(c, n, f, "fix"); },
        CheckOut,
        GetLatest,
        UndoCheckOut,
        RemoveFromRepository,
    };
    for (const Command& command : commands) {
        for (const std::string& path : {literal, star, inFolder}) {
            ui.messages.clear();
            EXPECT_EQ(Run(command, {path}), SCC_E_CONNECTIONFAILURE) << path;
            EXPECT_EQ(ui.messages,
                      std::vector<std::string>{
                          "Cannot use '" + path +
                          "': the repository reads '*' and '?' in a name as a pattern that may "
                          "match other files. Nothing was sent for it."});
        }
    }
    std::string viewPath;
    EXPECT_EQ(ViewPathOfFile(context, literal.c_str(), &viewPath), SCC_E_FILENOTCONTROLLED);
    EXPECT_EQ(server.RequestCount(), 1u);  // the login alone
    EXPECT_EQ(dir.ReadFile("app/ab.c"), "unsaved edits of ab.c");
    EXPECT_FALSE(other.empty());
}

TEST_F(FileCommandsTest, AddShowsProgressForFourFilesOrMoreAndStopsWhenCancelled) {
    Run(AddToRepository, Files({0, 0, 0}, false));
    EXPECT_TRUE(ui.progressWindows.empty());

    const std::vector<std::string> four = Files({0, 0, 0, 0}, false);
    EXPECT_EQ(Run(AddToRepository, four), SCC_OK);
    ASSERT_EQ(ui.progressWindows.size(), 1u);
    EXPECT_EQ(ui.progressWindows[0]->texts,
              (std::vector<std::string>{"Adding files", four[0], four[1], four[2], four[3]}));
    EXPECT_TRUE(ui.progressWindows[0]->closed);

    // Cancel pressed while the second file is shown: only the first one is sent.
    ui.cancelAtFile = 2;
    const struct {
        std::vector<int> codes;
        SCCRTN result;
    } cancelled[] = {{{0}, SCC_I_OPERATIONCANCELED}, {{kOutside}, SCC_E_CONNECTIONFAILURE}};
    for (const auto& c : cancelled) {
        const size_t before = server.RequestCount();
        std::vector<std::string> paths = Files(c.codes, false);
        for (int i = 0; i < 3; ++i) paths.push_back(dir.WriteFile("app/later.c", "x"));
        EXPECT_EQ(Run(AddToRepository, paths), c.result);
        EXPECT_EQ(server.RequestCount() - before, c.codes[0] == 0 ? 1u : 0u);
        EXPECT_EQ(ui.progressWindows.back()->texts.size(), 3u);  // the action and two files
    }
}

TEST_F(FileCommandsTest, NoFilesSendNothing) {
    EXPECT_EQ(AddToRepository(context, 0, nullptr), SCC_OK);
    EXPECT_EQ(GetLatest(context, -3, nullptr), SCC_OK);
    EXPECT_EQ(CheckIn(context, 2, nullptr, nullptr), SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(server.RequestCount(), 1u);
}

}  // namespace
}  // namespace scctest
