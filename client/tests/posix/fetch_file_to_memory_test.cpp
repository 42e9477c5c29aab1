// Fetching one file into memory against a scripted server: the request, contents whatever
// their bytes, a refusal that only the notifier hears of, and no temporary archive left behind
// whatever the outcome.
#include <gtest/gtest.h>

#include <filesystem>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"
#include "test_support/run_program.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;
using Texts = std::vector<std::string>;

class FetchFileToMemoryTest : public TransferTest {
  protected:
    // Fetches into a string that holds "old".
    std::string Fetch(int expectedResult, const std::string& label = "",
                      const std::string& version = "") {
        std::string contents = "old";
        EXPECT_EQ(FetchFileToMemory(context, "Src\\a.c", "why", label, version, &contents),
                  expectedResult);
        return contents;
    }
    Texts TempFolderNames() {
        Texts names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path("tmp")))
            names.push_back(entry.path().filename());
        return names;
    }
};

TEST_F(FetchFileToMemoryTest, RequestIsASingleFileGet) {
    server.SetDefaultReply(Answer({HttpResponse("")}));
    Fetch(0);
    Fetch(0, "R1", "7");
    const Texts common = {"username", "password", "organization", "project",
                          "recurse",  "checkout", "viewpath"};
    Texts plain = common;
    plain.push_back("description");
    Texts selected = common;
    selected.insert(selected.end(), {"label", "version_no", "description"});
    EXPECT_EQ(server.Request(0).target, "/get_files_from_cli.php");
    EXPECT_EQ(FieldNames(server.Request(0).body), plain);
    EXPECT_EQ(FieldNames(server.Request(1).body), selected);
    for (const char* field : {"recurse", "checkout"})
        EXPECT_EQ(FieldOf(server.Request(1).body, field), "N") << field;
    EXPECT_EQ(FieldOf(server.Request(1).body, "viewpath"), "Src\\a.c");
    EXPECT_EQ(FieldOf(server.Request(1).body, "label"), "R1");
    EXPECT_EQ(FieldOf(server.Request(1).body, "version_no"), "7");
    EXPECT_EQ(FieldOf(server.Request(1).body, "description"), "why");
}

TEST_F(FetchFileToMemoryTest, ContentsArriveByteForByte) {
    const std::string endLine = "x\n--AaB03x--\ny\n";
    // A stored entry keeps the end line's bytes visible inside the archive, so only the
    // record's size can tell where the archive ends.
    const std::string source = dir.WriteFile("end-line.txt", endLine);
    ASSERT_EQ(testsupport::RunProgram({"zip", "-0", "-j", "-q", dir.Path("stored.zip"), source})
                  .exitStatus,
              0);
    const std::string noise = Noise(200 * 1024) + std::string(3, '\0');
    const std::pair<std::string, std::string> cases[] = {
        {dir.ArchiveOf(noise), noise},
        {dir.ArchiveOf(""), ""},
        {dir.ReadFile("stored.zip"), endLine},
    };
    for (const auto& [archive, contents] : cases) {
        for (size_t piece : {0u, 7u}) {
            const std::string raw = HttpResponse(testsupport::FileRecord("a.c", "Src", archive));
            server.Enqueue(piece == 0 ? Answer({raw})
                                      : Answer(testsupport::SplitEvery(raw, piece)));
            EXPECT_TRUE(Fetch(0) == contents) << contents.size() << " bytes in pieces of " << piece;
        }
    }
    EXPECT_EQ(log.messages, Texts{});
    EXPECT_EQ(log.files, std::vector<FileOutcome>{}) << "nothing was placed anywhere";
    EXPECT_EQ(TempFolderNames(), Texts{});
}

TEST_F(FetchFileToMemoryTest, RefusalReachesOnlyTheNotifier) {
    server.Enqueue(Answer({HttpResponse(RefusalRecord(-2002, "Nothing matched."))}));
    EXPECT_EQ(Fetch(-2002), "old");
    EXPECT_EQ(log.messages, Texts{});
    EXPECT_EQ(log.files, (std::vector<FileOutcome>{
                             {FileAction::Get, -2002, "Nothing matched.", "", "Src\\a.c", ""}}));
}

TEST_F(FetchFileToMemoryTest, FailuresKeepTheOldContentsAndLeaveNoArchive) {
    const std::string archive = dir.ArchiveOf(Noise(5000));
    std::string damaged = archive;
    damaged[damaged.size() / 2] ^= 0x55;
    const std::string whole = HttpResponse(testsupport::FileRecord("a.c", "Src", archive));
    const struct {
        const char* what;
        testsupport::ScriptedReply reply;
        int result;
        size_t messages;
    } cases[] = {
        {"refusal", Answer({HttpResponse(RefusalRecord(-2013, "No version 7."))}), -2013, 0},
        {"damaged archive", Answer({HttpResponse(testsupport::FileRecord("a.c", "Src", damaged))}),
         -2027, 1},
        {"unusable size",
         Answer({HttpResponse(testsupport::FileRecord("a.c", "Src", archive, "5k"))}), -1003, 1},
        {"answer ends inside the archive", Answer({whole.substr(0, whole.size() - 2000)}), -5, 1},
        {"read fails inside the archive",
         testsupport::StopEarly({whole.substr(0, whole.size() - 2000)}), -5, 1},
    };
    for (const auto& c : cases) {
        server.Enqueue(c.reply);
        testsupport::NotifierLog reported =
            Reported([&] { EXPECT_EQ(Fetch(c.result), "old") << c.what; });
        EXPECT_EQ(reported.messages.size(), c.messages) << c.what;
        EXPECT_EQ(TempFolderNames(), Texts{}) << c.what;
    }
}

}  // namespace

}  // namespace brelmox
