// A download onto a disk that refuses to grow: the reading stops at the first failed write,
// the message names the system's reason, the old file stays and nothing is left behind.
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"

namespace brelmox {

namespace {

// Files may not grow past this in these tests; a longer write fails with EFBIG, which stands
// in for a full disk without needing one.
constexpr rlim_t kFileSizeLimit = 64 * 1024;

// The limit for the life of the object; the test's own files are written before it.
class FileSizeLimit {
  public:
    FileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = kFileSizeLimit;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, savedSignal_);
    }

  private:
    rlimit saved_{};
    sighandler_t savedSignal_ = SIG_DFL;
};

class FullDiskTest : public TransferTest {
  protected:
    FullDiskTest() { dir.WriteFile("local/a.c", "the old file\n"); }

    // The record in two pieces with a long pause between them, as a slow or endless answer.
    void ServeSlowly(const std::string& archive) {
        const std::string bytes = testsupport::HttpResponse(
            testsupport::FileRecord("a.c", "Src", archive) + testsupport::StatusBody(0));
        const size_t half = bytes.size() / 2;
        server.Enqueue(testsupport::Answer({bytes.substr(0, half), bytes.substr(half)},
                                           std::chrono::seconds(4)));
    }

    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const char* folder : {"tmp", "local"}) {
            for (const auto& entry : std::filesystem::directory_iterator(dir.Path(folder))) {
                names.push_back(entry.path().filename());
            }
        }
        return names;
    }
};

// The content is unpacked beside the target as it arrives, so the failed write is the
// unpacking's.
TEST_F(FullDiskTest, FailedWriteWhileReceivingStopsTheReadingAndSaysWhy) {
    ServeSlowly(dir.ArchiveOf(Noise(kFileSizeLimit * 4)));
    std::filesystem::remove(dir.Path("archive.zip"));
    std::filesystem::remove(dir.Path("archive-source"));
    const FileSizeLimit limit;
    const auto started = std::chrono::steady_clock::now();
    testsupport::NotifierLog said = Reported(
        [&] { EXPECT_EQ(GetFiles("Src\\a.c", local(), 0, 0, 0, "", "", "", context), -2027); });
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3))
        << "the rest of the answer was waited for";
    EXPECT_EQ(said.messages,
              std::vector<std::string>{"Error decompressing 'a.c' to '" + dir.Path("local/a.c") +
                                       "'. File too large"});
    EXPECT_EQ(dir.ReadFile("local/a.c"), "the old file\n");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{"a.c"});
}

TEST_F(FullDiskTest, FailedUnpackingNamesTheReasonAndKeepsTheOldFile) {
    // Small as an archive, too large once unpacked.
    server.Enqueue(testsupport::Answer({testsupport::HttpResponse(testsupport::FileRecord(
        "a.c", "Src", dir.ArchiveOf(std::string(kFileSizeLimit * 4, 'x'))))}));
    const FileSizeLimit limit;
    testsupport::NotifierLog said = Reported(
        [&] { EXPECT_EQ(GetFiles("Src\\a.c", local(), 0, 0, 0, "", "", "", context), -2027); });
    ASSERT_EQ(said.messages.size(), 1u);
    EXPECT_EQ(said.messages[0].rfind("Error decompressing '", 0), 0u) << said.messages[0];
    EXPECT_NE(said.messages[0].find("' to '" + dir.Path("local/a.c") + "'. File too large"),
              std::string::npos)
        << said.messages[0];
    EXPECT_EQ(dir.ReadFile("local/a.c"), "the old file\n");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{"a.c"});
}

}  // namespace

}  // namespace brelmox
