// A data folder backed up while a server adds to it, restored, and compared; and the backups
// a restore must refuse.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include "server_fixture.h"
#include "test_support/run_program.h"

namespace servertest {
namespace {

constexpr int kMostAdds = 400;
// Bigger than the archives the database keeps itself, and not packable: stored as a file.
constexpr std::size_t kLargeSize = 96 * 1024;

std::string NameOf(int i) {
    return "f" + std::to_string(1000 + i) + ".c";
}

// Every second file is large.
std::string ContentOf(int i) {
    std::string content = "file " + std::to_string(i) + "\n";
    if (i % 2 == 1) return content;
    std::uint32_t state = 2654435761u * static_cast<std::uint32_t>(i + 1);
    while (content.size() < kLargeSize) {
        state = state * 1664525u + 1013904223u;
        content += static_cast<char>(state >> 24);
    }
    return content;
}

std::string Listing(const std::string& folder) {
    std::string names;
    std::vector<std::string> all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder + "/objects"))
        all.push_back(entry.path().string().substr(folder.size()));
    std::sort(all.begin(), all.end());
    for (const std::string& name : all) names += name + "\n";
    return names;
}

class BackupTest : public ServerFixture {
  protected:
    void SetUp() override {
        if (TestingPostgres()) GTEST_SKIP() << "a database is backed up with pg_dump";
        ServerFixture::SetUp();
    }

    testsupport::RunResult Run(std::vector<std::string> words, const std::string& cwd = "") {
        words.insert(words.begin(), testsupport::BinPath("brelmox-server"));
        return testsupport::RunProgram(words, {}, "", cwd);
    }
    void Restore(const std::string& file, const std::string& folder) {
        const testsupport::RunResult result = Run({"restore", "--data", folder, file});
        EXPECT_EQ(result.exitStatus, 0) << result.stderrText;
    }
    std::string FolderState(const std::string& folder) {
        return SqliteTables(folder + "/brelmox.db") + Listing(folder);
    }
};

TEST_F(BackupTest, ABackupTakenWhileAddsRunRestoresOneMomentOfTheFolder) {
    std::atomic<bool> stop{false};
    std::atomic<int> added{0};
    std::thread adder([&] {
        for (int i = 0; i < kMostAdds && !stop; ++i) {
            EXPECT_EQ(Statuses(Upload("Src", NameOf(i), ContentOf(i))), "0");
            added = i + 1;
        }
    });
    while (added < 4) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int addedBefore = added;
    const testsupport::RunResult during = Run({"backup", "--data", data_, dir_.Path("during.zip")});
    const int addedAfter = added;
    stop = true;
    adder.join();
    ASSERT_EQ(during.exitStatus, 0) << during.stderrText;
    ASSERT_LT(addedAfter, kMostAdds) << "the adds ended before the backup did";

    // Taken at rest, the backup restores exactly the folder.
    ASSERT_EQ(Run({"backup", "--data", data_, dir_.Path("rest.zip")}).exitStatus, 0);
    Restore(dir_.Path("rest.zip"), dir_.Path("at-rest"));
    EXPECT_EQ(FolderState(dir_.Path("at-rest")), FolderState(data_));

    // Taken while adds ran, it holds the files added by one moment, each whole.
    Restore(dir_.Path("during.zip"), dir_.Path("restored"));
    StopServer();
    data_ = dir_.Path("restored");
    StartServer();
    const std::vector<Record> records = Records(Get("Src"));
    EXPECT_GE(static_cast<int>(records.size()), addedBefore);
    EXPECT_LE(static_cast<int>(records.size()), addedAfter + 1);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].At("name"), NameOf(static_cast<int>(i)));
        EXPECT_TRUE(Unpacked(records[i].content) == ContentOf(static_cast<int>(i))) << i;
    }
}

TEST_F(BackupTest, ARestoreRefusesWhatIsNotAWholeBackupAndAFolderInUse) {
    Upload("Src", "big.c", ContentOf(0));
    const std::string backup = dir_.Path("backup.zip");
    ASSERT_EQ(Run({"backup", "--data", data_, backup}).exitStatus, 0);
    // A backup unpacked by hand, one archive changed, packed again.
    const std::string unpacked = dir_.Path("unpacked");
    std::filesystem::create_directory(unpacked);
    ASSERT_EQ(testsupport::RunProgram({"unzip", "-q", backup}, {}, "", unpacked).exitStatus, 0);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(unpacked + "/objects"))
        if (entry.is_regular_file()) std::filesystem::resize_file(entry.path(), 100);
    ASSERT_EQ(testsupport::RunProgram({"zip", "-qr", "../changed.zip", "brelmox.db", "objects"}, {},
                                      "", unpacked)
                  .exitStatus,
              0);
    dir_.WriteFile("unpacked/notes.txt", "hello");
    ASSERT_EQ(testsupport::RunProgram({"zip", "-q", "../foreign.zip", "brelmox.db", "notes.txt"},
                                      {}, "", unpacked)
                  .exitStatus,
              0);
    dir_.WriteFile("text.zip", "not a zip");

    std::string object;  // "ab/cdef...", the one stored archive
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data_ + "/objects"))
        if (entry.is_regular_file()) object = entry.path().string().substr(data_.size() + 9);
    const struct {
        std::vector<std::string> words;
        std::string message;
    } cases[] = {
        {{"restore", "--data", data_, backup},
         "Data folder '" + data_ + "' is already initialised."},
        {{"restore", "--data", "new1", "nothere.zip"}, "There is no backup 'nothere.zip'."},
        {{"restore", "--data", "new2", "text.zip"}, "'text.zip' is not a zip archive."},
        {{"restore", "--data", "new3", "foreign.zip"},
         "'foreign.zip' is not a backup of a data folder (it holds 'notes.txt')."},
        {{"restore", "--data", "new4", "changed.zip"},
         "The archive 'objects/" + object +
             "' of the backup 'changed.zip' does not hold what its name says."},
        {{"backup", "--database", "postgresql://nowhere/db", "b.zip"},
         "backup and restore copy a data folder; back up a database with pg_dump and restore it "
         "with pg_restore."},
    };
    for (const auto& c : cases) {
        const testsupport::RunResult result = Run(c.words, dir_.Path());
        EXPECT_EQ(result.exitStatus, 1) << c.message;
        EXPECT_EQ(result.stderrText.substr(0, result.stderrText.find('\n')),
                  "brelmox-server: " + c.message);
    }
    for (const char* folder : {"new1", "new2", "new3", "new4"})
        EXPECT_FALSE(std::filesystem::exists(dir_.Path(folder) + "/brelmox.db")) << folder;
    // The partial files of the refused backup are gone.
    EXPECT_FALSE(std::filesystem::exists(dir_.Path("b.zip")));
}

}  // namespace
}  // namespace servertest
