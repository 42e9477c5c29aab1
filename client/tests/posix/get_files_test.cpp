// Downloads against a scripted server: request fields, record handling, placement and
// every way an answer can be damaged.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"
#include "test_support/forged_archive.h"
#include "test_support/run_program.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;

// Files of this process cannot grow beyond limit bytes while it lives: a write past it fails
// (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered = {limit, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*savedSignal_)(int) = SIG_DFL;
};

class GetFilesTest : public TransferTest {
  protected:
    int Get(const std::string& viewPath, int recurse = 0, int preserve = 0,
            const std::string& label = "", const std::string& version = "") {
        return GetFiles(viewPath, local(), recurse, preserve, 0, "", label, version, context);
    }
    void Serve(const std::string& body, size_t pieceSize = 0) {
        const std::string raw = HttpResponse(body);
        server.Enqueue(pieceSize == 0 ? Answer({raw})
                                      : Answer(testsupport::SplitEvery(raw, pieceSize),
                                               std::chrono::milliseconds(1)));
    }
    std::string LocalFile(const std::string& name) { return dir.ReadFile(local() + "/" + name); }
    // A record saved from repositoryPath (folder/name) to target.
    static FileOutcome Saved(const std::string& repositoryPath, const std::string& target) {
        const std::string name = repositoryPath.substr(repositoryPath.rfind('/') + 1);
        return {FileAction::Get, 0, "", target, repositoryPath, name};
    }
    bool LocalExists(const std::string& name) {
        return std::filesystem::exists(local() + "/" + name);
    }
};

TEST_F(GetFilesTest, LabelAndVersionAreSentOnlyWhenGiven) {
    server.SetDefaultReply(Answer({HttpResponse("")}));
    ASSERT_EQ(Get("Src", 1), 0);
    ASSERT_EQ(GetFiles("Src", local(), 0, 0, 1, "why", "Release1", "7", context), 0);
    const std::vector<std::string> common = {"username", "password", "organization", "project",
                                             "recurse",  "checkout", "viewpath"};
    std::vector<std::string> plain = common;
    plain.push_back("description");
    std::vector<std::string> selected = common;
    selected.insert(selected.end(), {"label", "version_no", "description"});
    EXPECT_EQ(FieldNames(server.Request(0).body), plain);
    EXPECT_EQ(FieldNames(server.Request(1).body), selected);
    EXPECT_EQ(FieldOf(server.Request(0).body, "recurse"), "Y");
    EXPECT_EQ(FieldOf(server.Request(1).body, "checkout"), "Y");
    EXPECT_EQ(FieldOf(server.Request(1).body, "label"), "Release1");
    EXPECT_EQ(FieldOf(server.Request(1).body, "version_no"), "7");
}

TEST_F(GetFilesTest, SavesEveryRecordInOrderWhateverTheReadBoundaries) {
    const std::string body =
        testsupport::FileRecord("a.c", "Src", dir.ArchiveOf("alpha")) +
        testsupport::FileRecord("b.c", "Src", dir.ArchiveOf("beta")) +
        testsupport::FileRecord("c.c", "", dir.ArchiveOf(std::string(3000, 'c')));
    for (size_t piece : {0u, 1u, 5u, 11u}) {
        std::filesystem::remove_all(local());
        Serve(body, piece);
        testsupport::NotifierLog reported = Reported([&] { EXPECT_EQ(Get("Src/*.c"), 0); });
        EXPECT_EQ(reported.files, (std::vector<FileOutcome>{
                                      Saved("Src/a.c", local() + "/a.c"),
                                      Saved("Src/b.c", local() + "/b.c"),
                                      Saved("c.c", local() + "/c.c"),
                                  }))
            << "pieces of " << piece;
        EXPECT_EQ(LocalFile("a.c"), "alpha");
        EXPECT_EQ(LocalFile("c.c"), std::string(3000, 'c'));
    }
}

TEST_F(GetFilesTest, LargeRecordAndArchiveHoldingTheEndLineArriveWhole) {
    const std::string big = Noise(300 * 1024);
    // A stored entry keeps the end line's bytes visible inside the archive.
    const std::string stored = dir.WriteFile("end-line.txt", "x\n--AaB03x--\ny\n");
    ASSERT_EQ(testsupport::RunProgram({"zip", "-0", "-j", "-q", dir.Path("stored.zip"), stored})
                  .exitStatus,
              0);
    Serve(testsupport::FileRecord("big.bin", "", dir.ArchiveOf(big)) +
          testsupport::FileRecord("end-line.txt", "", dir.ReadFile("stored.zip")));
    EXPECT_EQ(Get("*"), 0);
    EXPECT_TRUE(LocalFile("big.bin") == big);
    EXPECT_EQ(LocalFile("end-line.txt"), "x\n--AaB03x--\ny\n");
}

TEST_F(GetFilesTest, NewFilesGetTheUmasksModeAndReplacedOnesKeepTheirOwn) {
    struct Case {
        const char* name;
        mode_t existing;  // 0: no local file yet
        mode_t expected;
    };
    const Case cases[] = {
        {"new.c", 0, 0640},
        {"read-only.c", 0444, 0644},  // made writable by its owner
        {"script.sh", 0750, 0750},
    };
    const mode_t saved = umask(027);
    for (const Case& c : cases) {
        if (c.existing != 0)
            chmod(dir.WriteFile("local/" + std::string(c.name), "old").c_str(), c.existing);
        Serve(testsupport::FileRecord(c.name, "", dir.ArchiveOf("new")));
        EXPECT_EQ(Get(c.name), 0);
        EXPECT_EQ(LocalFile(c.name), "new");
        struct stat info {};
        ASSERT_EQ(stat((local() + "/" + c.name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.expected) << c.name;
    }
    EXPECT_EQ(umask(saved), 027u) << "the process's umask changed";
}

// An IDE's working folder may be anything, even a folder that is gone.
TEST_F(GetFilesTest, AbsolutePathsNeedNoWorkingFolder) {
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    std::filesystem::create_directory("gone");
    std::filesystem::current_path("gone");
    std::filesystem::remove(dir.Path("gone"));
    const std::string source = dir.WriteFile("src/a.c", "a");
    server.Enqueue(Answer(
        {HttpResponse(testsupport::StatusBody(0) + testsupport::KeywordField("name:", "a.c") +
                      testsupport::KeywordField("viewpath:", "Src"))}));
    EXPECT_EQ(AddFiles(source, source, "Src", 1, 1, 0, "", context), 0);
    Serve(testsupport::FileRecord("a.c", "Src\\deep", dir.ArchiveOf("a")));
    EXPECT_EQ(GetFiles("Src", local() + "/new", 1, 1, 0, "", "", "", context), 0);
    std::filesystem::current_path(saved);
    EXPECT_NE(server.Request(0).body.find("filename=\"" + source + "\""), std::string::npos);
    EXPECT_EQ(dir.ReadFile(local() + "/new/Src/deep/a.c"), "a");
}

TEST_F(GetFilesTest, PreserveMirrorsFoldersBelowTheRequestedOne) {
    Serve(testsupport::FileRecord("a.c", "Src", dir.ArchiveOf("a")) +
          testsupport::FileRecord("b.c", "Src\\util", dir.ArchiveOf("b")));
    EXPECT_EQ(Get("Src/*.c", 1, 1), 0);
    EXPECT_EQ(log.files, (std::vector<FileOutcome>{
                             Saved("Src/a.c", local() + "/a.c"),
                             Saved("Src/util/b.c", local() + "/Src/util/b.c"),
                         }));
    EXPECT_EQ(LocalFile("Src/util/b.c"), "b");
}

TEST_F(GetFilesTest, MissingFilesGoOnOnlyInARecursiveGet) {
    const std::string body = testsupport::FileRecord("a.c", "", dir.ArchiveOf("a")) +
                             RefusalRecord(-2013, "b.c has no label R1") +
                             testsupport::FileRecord("c.c", "", dir.ArchiveOf("c"));
    Serve(body);
    EXPECT_EQ(Get("*", 1), 0);
    ASSERT_EQ(log.files.size(), 3u);
    EXPECT_EQ(log.files[1].error, "b.c has no label R1");
    EXPECT_TRUE(LocalExists("c.c"));

    std::filesystem::remove_all(local());
    Serve(body);
    EXPECT_EQ(Get("*", 0), -2013);
    EXPECT_TRUE(LocalExists("a.c"));
    EXPECT_FALSE(LocalExists("c.c"));
}

TEST_F(GetFilesTest, HostileNamesAreRefusedAndNothingIsWritten) {
    struct Case {
        std::string name;
        std::string viewPath;
        int preserve;
        std::string offending;
    };
    const Case cases[] = {
        {"", "", 0, ""},
        {".", "", 0, "."},
        {"..", "", 0, ".."},
        {"../escape.c", "", 0, "../escape.c"},
        {"..\\escape.c", "", 0, "..\\escape.c"},
        {"escape.c", "Src\\..\\..\\..", 1, "Src\\..\\..\\.."},
    };
    for (const Case& c : cases) {
        Serve(testsupport::FileRecord(c.name, c.viewPath, dir.ArchiveOf("evil")) +
              testsupport::FileRecord("ok.c", "", dir.ArchiveOf("ok")));
        testsupport::NotifierLog reported =
            Reported([&] { EXPECT_EQ(Get("Src/*", 1, c.preserve), -1004) << c.name; });
        EXPECT_EQ(reported.messages, std::vector<std::string>{"Refused unsafe file name '" +
                                                              c.offending + "' from the server."});
        EXPECT_FALSE(std::filesystem::exists(dir.Path("escape.c")));
        // Processing stops at the failing record, as for any other failure.
        EXPECT_FALSE(LocalExists("ok.c"));
    }
}

TEST_F(GetFilesTest, DamagedArchiveLeavesTheOldFileInPlace) {
    dir.WriteFile("local/a.c", "precious");
    std::string archive = dir.ArchiveOf(Noise(5000));
    archive[archive.size() / 2] ^= 0x55;
    Serve(testsupport::FileRecord("a.c", "", archive));
    EXPECT_EQ(Get("a.c"), -2027);
    ASSERT_EQ(log.messages.size(), 1u);
    const std::string& shown = log.messages[0];
    EXPECT_EQ(shown.rfind("Error decompressing '", 0), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.find("' to '")), "' to '" + local() + "/a.c'.");
    EXPECT_TRUE(LocalFile("a.c") == "precious");
}

// A zip bomb whose headers declare 10 bytes: with files limited to 1 MiB, one write past
// the declared size would fail and add the system's reason to the message.
TEST_F(GetFilesTest, ArchiveUnpackingBeyondItsDeclaredSizeWritesNothingAndKeepsTheOldFile) {
    dir.WriteFile("local/a.c", "precious");
    const std::string bomb =
        testsupport::DeclaringSize(dir.ArchiveOf(std::string(8 << 20, '\0')), 10);
    Serve(testsupport::FileRecord("a.c", "", bomb));
    {
        const FileSizeLimit limit(1 << 20);
        EXPECT_EQ(Get("a.c"), -2027);
    }
    EXPECT_EQ(log.messages,
              std::vector<std::string>{"Error decompressing 'a.c' to '" + local() + "/a.c'."});
    EXPECT_TRUE(LocalFile("a.c") == "precious");
}

// A file where the folder should be stops root too, as permissions would not.
TEST_F(GetFilesTest, CheckOutIntoAFolderThatTakesNoFileAsksTheServerNothing) {
    dir.WriteFile("blocked", "a file, not a folder");
    for (const std::string& target : {dir.Path("blocked"), dir.Path("blocked/sub")}) {
        testsupport::NotifierLog said = Reported(
            [&] { EXPECT_EQ(GetFiles("a.c", target, 0, 0, 1, "", "", "", context), -1001); });
        EXPECT_EQ(said.messages, std::vector<std::string>{"Cannot create a file in '" + target +
                                                          "/': Not a directory"});
    }
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_EQ(dir.ReadFile("blocked"), "a file, not a folder");
}

// A write that fails after all (a folder stands where the file goes) gives back that
// file's check-out, and only that one.
TEST_F(GetFilesTest, CheckOutWhoseFileCannotBeWrittenIsReleased) {
    std::filesystem::create_directories(local() + "/b.c/inside");
    Serve(testsupport::FileRecord("a.c", "Src", dir.ArchiveOf("alpha")) +
          testsupport::FileRecord("b.c", "Src", dir.ArchiveOf("beta")));
    server.Enqueue(Answer({HttpResponse("")}));
    testsupport::NotifierLog said = Reported(
        [&] { EXPECT_EQ(GetFiles("Src/*.c", local(), 0, 0, 1, "", "", "", context), -1001); });
    EXPECT_EQ(said.messages,
              std::vector<std::string>{"Cannot write '" + local() + "/b.c': Is a directory"});
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Request(1).target, "/uncheckout_from_cli.php");
    EXPECT_EQ(FieldOf(server.Request(1).body, "viewpath"), "Src/b.c");
    EXPECT_EQ(FieldOf(server.Request(1).body, "recurse"), "N");
    EXPECT_EQ(LocalFile("a.c"), "alpha");
}

TEST_F(GetFilesTest, UnusableSizesAreRefusedWithoutAllocating) {
    for (const char* size : {"-5", "abc", "", "99999999999999999999"}) {
        Serve(testsupport::FileRecord("a.c", "", dir.ArchiveOf("a"), size));
        testsupport::NotifierLog reported = Reported([&] { EXPECT_EQ(Get("a.c"), -1003) << size; });
        EXPECT_EQ(reported.messages, std::vector<std::string>{std::string("Refused size '") + size +
                                                              "' of 'a.c' from the server."});
    }
}

TEST_F(GetFilesTest, AnswerEndingInsideARecordIsAFailure) {
    dir.WriteFile("local/b.c", "old");
    const std::string second = testsupport::FileRecord("b.c", "", dir.ArchiveOf(Noise(4000)));
    // The size promises more than arrives.
    Serve(testsupport::FileRecord("a.c", "", dir.ArchiveOf("a")) +
          second.substr(0, second.size() - 500));
    testsupport::NotifierLog reported = Reported([&] { EXPECT_EQ(Get("*"), -5); });
    EXPECT_EQ(reported.messages,
              std::vector<std::string>{"The server's answer ended in the middle of a record."});
    EXPECT_EQ(LocalFile("a.c"), "a");
    EXPECT_TRUE(LocalFile("b.c") == "old");

    // All content arrived, but not the end line: the record is not saved either.
    Serve(second.substr(0, second.size() - 11));
    reported = Reported([&] { EXPECT_EQ(Get("*"), -5); });
    EXPECT_EQ(reported.messages,
              std::vector<std::string>{"The server's answer ended in the middle of a record."});
    EXPECT_TRUE(reported.files.empty());
    EXPECT_TRUE(LocalFile("b.c") == "old");
}

TEST_F(GetFilesTest, RefusalOfTheWholeRequestIsShownWithoutARecordEnd) {
    Serve(testsupport::StatusBody(-2014, "Invalid user"));
    EXPECT_EQ(Get("*"), -2014);
    ASSERT_EQ(log.files.size(), 1u);
    EXPECT_EQ(log.files[0].status, -2014);
    EXPECT_EQ(log.files[0].error, "Invalid user");
}

TEST_F(GetFilesTest, EmptyAnswerFetchesNothing) {
    Serve("");
    EXPECT_EQ(Get("*"), 0);
    EXPECT_FALSE(std::filesystem::exists(local()));
}

}  // namespace

}  // namespace brelmox
