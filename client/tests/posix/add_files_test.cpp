// Uploads against a scripted server: the body of each file, the walk and its result.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;
using testsupport::KeywordField;

class AddFilesTest : public TransferTest {
  protected:
    static testsupport::ScriptedReply Accepted(const std::string& name, const std::string& folder) {
        return Answer({HttpResponse(testsupport::StatusBody(0) + KeywordField("name:", name) +
                                    KeywordField("viewpath:", folder))});
    }
    int Add(const std::string& pattern, const std::string& viewPath, int recurse = 0,
            int preserve = 0, int checkin = 0) {
        return AddFiles(pattern, pattern, viewPath, recurse, preserve, checkin, "fix", context);
    }
    std::string src() const { return dir.Path("src"); }
    static FileOutcome Sent(FileAction action, const std::string& path, const std::string& folder,
                            const std::string& name) {
        return {action, 0, "", path, folder, name};
    }
};

TEST_F(AddFilesTest, SendsTheFileWithItsFullPathAndTheFields) {
    std::string content(100000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    dir.WriteFile("src/a.bin", content);
    server.Enqueue(Accepted("a.bin", "Src"));
    EXPECT_EQ(Add(src() + "/a.bin", "Src"), 0);
    EXPECT_EQ(log.files,
              std::vector<FileOutcome>{Sent(FileAction::Add, src() + "/a.bin", "Src", "a.bin")});
    const std::string body = server.Request(0).body;
    EXPECT_EQ(server.Request(0).target, "/add_files_from_cli.php");
    EXPECT_EQ(FieldOf(body, "username"), "alice");
    EXPECT_EQ(FieldOf(body, "viewpath"), "Src");
    EXPECT_EQ(FieldOf(body, "checkin"), "N");
    EXPECT_NE(body.find("name=\"description\"\r\n\r\nfix\r\n--AaB03x\r\n"
                        "Content-Disposition: form-data; name=\"userfile\"; filename=\"" +
                        src() + "/a.bin\"\r\nContent-Transfer-Encoding: binary\r\n"),
              std::string::npos);
    EXPECT_EQ(UploadedContent(body), content);
}

TEST_F(AddFilesTest, LargeUploadGoesInOneRequestWithoutWaitingForContinue) {
    const std::string content = Noise(3 << 20);
    dir.WriteFile("src/big.bin", content);
    server.Enqueue(Accepted("big.bin", "Src"));
    EXPECT_EQ(Add(src() + "/big.bin", "Src"), 0);
    ASSERT_EQ(server.RequestCount(), 1u);
    const testsupport::RecordedRequest request = server.Request(0);
    EXPECT_FALSE(request.HasHeader("Expect"));
    EXPECT_FALSE(request.HasHeader("Transfer-Encoding"));
    EXPECT_EQ(request.Header("Content-Length"), std::to_string(request.body.size()));
    EXPECT_TRUE(UploadedContent(request.body) == content);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("tmp"))) << "the packed archive was left";
}

TEST_F(AddFilesTest, CheckInSendsYesAndSaysCheckedIn) {
    dir.WriteFile("src/a.c", "x");
    server.Enqueue(Accepted("a.c", "Src"));
    EXPECT_EQ(Add(src() + "/a.c", "Src", 0, 0, 5), 0);
    EXPECT_EQ(FieldOf(server.Request(0).body, "checkin"), "Y");
    EXPECT_EQ(log.files,
              std::vector<FileOutcome>{Sent(FileAction::Checkin, src() + "/a.c", "Src", "a.c")});
}

TEST_F(AddFilesTest, WalkSendsFilesBeforeSubFoldersWithPreservedViewPaths) {
    for (const char* file : {"src/b.c", "src/a.c", "src/readme.txt", "src/util/c.c",
                             "src/util/deep/d.c", "src/zz/e.c"}) {
        dir.WriteFile(file, file);
    }
    server.SetDefaultReply(Accepted("x", "y"));
    EXPECT_EQ(Add(src() + "/*.c", "Src/", 1, 1), 0);
    std::vector<std::pair<std::string, std::string>> sent;
    for (const auto& request : server.RecordedRequests()) {
        const std::string head = "filename=\"";
        size_t at = request.body.find(head) + head.size();
        sent.emplace_back(request.body.substr(at, request.body.find('"', at) - at),
                          FieldOf(request.body, "viewpath"));
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {src() + "/a.c", "Src\\"},
        {src() + "/b.c", "Src\\"},
        {src() + "/util/c.c", "Src\\util\\"},
        {src() + "/util/deep/d.c", "Src\\util\\deep\\"},
        {src() + "/zz/e.c", "Src\\zz\\"},
    };
    EXPECT_EQ(sent, expected);
}

TEST_F(AddFilesTest, OnlyRegularFilesAreSentAndOthersArePassedOverWithALine) {
    dir.WriteFile("src/a.c", "a");
    ASSERT_EQ(mkfifo(dir.Path("src/b.pipe").c_str(), 0600), 0);
    server.SetDefaultReply(Accepted("a.c", "Src"));
    testsupport::NotifierLog said =
        Reported([&] { EXPECT_EQ(Add(src() + "/*.*", "Src", 1, 0), 0); });
    EXPECT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(said.messages, std::vector<std::string>{"Passed over '" + src() +
                                                      "/b.pipe': it is not a regular file."});
}

TEST_F(AddFilesTest, RelativePatternsSendFullPathsAndEmptyViewPathKeepsSubFolders) {
    dir.WriteFile("src/util/c.c", "c");
    server.SetDefaultReply(Accepted("c.c", "util"));
    const std::string saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    EXPECT_EQ(Add("src/*.c", "", 1, 1), 0);
    std::filesystem::current_path(saved);
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(FieldOf(server.Request(0).body, "viewpath"), "util\\");
    EXPECT_NE(server.Request(0).body.find("filename=\"" + src() + "/util/c.c\""),
              std::string::npos);
}

TEST_F(AddFilesTest, RefusalAnywhereInTheWalkIsTheResult) {
    dir.WriteFile("src/a.c", "a");
    dir.WriteFile("src/b.c", "b");
    dir.WriteFile("src/empty/readme.txt", "no match here");
    server.Enqueue(testsupport::StatusReply(-2007, "a.c exists"));
    server.Enqueue(Accepted("b.c", "Src"));
    EXPECT_EQ(Add(src() + "/*.c", "Src", 1), -2007);
    ASSERT_EQ(log.files.size(), 2u);
    EXPECT_EQ(log.files[0].error, "a.c exists");
    EXPECT_EQ(log.files[1], Sent(FileAction::Add, src() + "/b.c", "Src", "b.c"));
}

TEST_F(AddFilesTest, NothingMatchingSendsNothing) {
    dir.WriteFile("src/sub/readme.txt", "x");
    EXPECT_EQ(Add(src() + "/*.c", "Src", 1), 0);
    EXPECT_EQ(Add(src(), "Src"), 0);  // a folder named without a pattern is skipped
    EXPECT_EQ(Add("", "Docs"), 0);
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(AddFilesTest, NamesThatWouldBreakTheBodyAreNotSent) {
    const std::string path = dir.WriteFile("src/say \"hi\".c", "x");
    EXPECT_EQ(Add(path, "Src"), -1001);
    EXPECT_EQ(log.messages,
              std::vector<std::string>{"Cannot send '" + path +
                                       "': its name holds a line break or a double quote."});
    EXPECT_EQ(server.RequestCount(), 0u);
}

// A '|' in a stored name would shift other files' states in the status query, so add and
// check-in refuse it, in the file's name or its folder, and go on with the other files.
TEST_F(AddFilesTest, BarsInRepositoryNamesAreRefusedAndTheWalkGoesOn) {
    const std::string bar = dir.WriteFile("src/a|b.c", "x");
    const std::string ok = dir.WriteFile("src/ok.c", "ok");
    const std::string deep = dir.WriteFile("src/x|y/c.c", "c");
    server.SetDefaultReply(Accepted("ok.c", "Src"));
    const std::string why =
        "': a '|' in its name or repository folder cannot be stored, since the status query "
        "puts '|' between paths.";
    for (int checkin : {0, 1}) {
        testsupport::NotifierLog said =
            Reported([&] { EXPECT_EQ(Add(src() + "/*.c", "Src", 1, 1, checkin), -1001); });
        std::sort(said.messages.begin(), said.messages.end());
        EXPECT_EQ(said.messages, (std::vector<std::string>{"Cannot send '" + bar + why,
                                                           "Cannot send '" + deep + why}));
    }
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_NE(server.Request(1).body.find("filename=\"" + ok + "\""), std::string::npos);
    testsupport::NotifierLog said = Reported([&] { EXPECT_EQ(Add(ok, "S|rc"), -1001); });
    EXPECT_EQ(said.messages, std::vector<std::string>{"Cannot send '" + ok + why});
    EXPECT_EQ(server.RequestCount(), 2u);
}

TEST_F(AddFilesTest, MissingSourceIsAFileError) {
    EXPECT_EQ(AddFile(context, 0, dir.Path("gone.c"), "Src", ""), -1001);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Cannot open '" + dir.Path("gone.c") +
                                                     "': No such file or directory"});
    EXPECT_EQ(server.RequestCount(), 0u);
}

}  // namespace

}  // namespace brelmox
