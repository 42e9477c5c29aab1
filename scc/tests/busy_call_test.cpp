// Requests on a worker thread while the calling thread keeps its windows alive: the progress
// window once a request takes long, Cancel that really stops a transfer, the refused
// re-entry and the worker's messages shown on the calling thread.
#include <chrono>
#include <filesystem>
#include <thread>

#include "scc/busy_runner.h"
#include "scc/export_guard.h"
#include "scc/file_commands.h"
#include "scc/status_queries.h"
#include "scc/tests/provider_fixture.h"
#include "test_support/answer_bytes.h"

namespace scctest {
namespace {

using namespace brelmoxscc;
using Clock = std::chrono::steady_clock;

// Far longer than a cancelled transfer may take: one still waiting for its second piece once
// the window is shown must be stopped by Cancel, not finished nor left to wait. (A stopping
// server does not wait out its pauses.) Wine lets a blocking read finish before the closing of
// its handle takes effect, so there the transfer stops at the second piece rather than at once:
// a shorter pause keeps the test short, and only that it stops before finishing is checked.
#ifdef _WIN32
constexpr std::chrono::milliseconds kVerySlow{4000};
#define EXPECT_BROKEN_OFF(elapsed) static_cast<void>(elapsed)
#else
constexpr std::chrono::milliseconds kVerySlow{60000};
#define EXPECT_BROKEN_OFF(elapsed) EXPECT_LT(elapsed, kVerySlow / 2)
#endif
constexpr std::chrono::milliseconds kSlow{1500};

class BusyCallTest : public ProviderTest {
  protected:
    BusyCallTest() : context(LoggedIn()) {}

    // The answer in two pieces, the second one the pause after the first.
    void EnqueueSlowly(const std::string& body, std::chrono::milliseconds pause) {
        const std::string response = testsupport::HttpResponse(body);
        const size_t half = response.size() / 2;
        server.Enqueue(
            testsupport::Answer({response.substr(0, half), response.substr(half)}, pause));
    }

    static std::string CheckedIn() {
        return testsupport::StatusBody(0) + testsupport::KeywordField("version_status:", "-2010") +
               testsupport::KeywordField("version:", "1");
    }

    // Through the exported functions' guard, as the IDE calls.
    SCCRTN Status(const std::string& path, LONG* word) {
        LPCSTR files[] = {path.c_str()};
        return WithContext(ideContext,
                           [&](ProviderContext& c) { return QueryInfo(c, 1, files, word); });
    }
    SCCRTN Files(SCCRTN (*command)(ProviderContext&, LONG, const LPCSTR*),
                 const std::vector<std::string>& paths) {
        std::vector<LPCSTR> files;
        for (const std::string& path : paths) files.push_back(path.c_str());
        return WithContext(ideContext, [&](ProviderContext& c) {
            return command(c, static_cast<LONG>(files.size()), files.data());
        });
    }

    std::vector<std::string> Entries(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path(folder))) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    ProviderContext& context;
    const std::thread::id caller = std::this_thread::get_id();
};

TEST_F(BusyCallTest, TheWindowAppearsOnceARequestTakesHalfASecondAndNotBefore) {
    const std::string file = dir.Path("app/src/a.c");
    LONG word = 0;
    EnqueueSlowly(CheckedIn(), kSlow);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(Status(file, &word), SCC_OK);
    EXPECT_EQ(word, SCC_STATUS_CONTROLLED);
    ASSERT_EQ(ui.progressWindows.size(), 1u);
    const ProgressRecord& window = *ui.progressWindows[0];
    EXPECT_GE(window.opened - start, kProgressDelay);
    EXPECT_EQ(window.thread, caller);
    EXPECT_EQ(window.texts, (std::vector<std::string>{"Reading the files' status", ""}));
    EXPECT_TRUE(window.closed);

    // A quick request: a window, if the machine was slow enough to show one, came no sooner.
    server.Enqueue(testsupport::Answer({testsupport::HttpResponse(CheckedIn())}));
    start = Clock::now();
    EXPECT_EQ(Status(file, &word), SCC_OK);
    for (size_t i = 1; i < ui.progressWindows.size(); ++i) {
        EXPECT_GE(ui.progressWindows[i]->opened - start, kProgressDelay);
    }
}

TEST_F(BusyCallTest, CancelDuringAGetKeepsTheWorkingFileAndLeavesNoTemporaryFile) {
    const std::string file = dir.WriteFile("app/src/main.c", "the old working file\n");
    // Content that does not pack small, so that the transfer is long.
    std::string content(3 << 20, '\0');
    uint32_t seed = 12345;
    for (char& c : content) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    const std::string record = testsupport::FileRecord("main.c", "src", dir.ArchiveOf(content));
    ui.cancelWhenShown = true;
    const std::pair<SCCRTN (*)(ProviderContext&, LONG, const LPCSTR*), const char*> commands[] = {
        {GetLatest, "Getting files"}, {CheckOut, "Checking out files"}};
    for (const auto& [command, action] : commands) {
        EnqueueSlowly(record, kVerySlow);
        ui.messages.clear();
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(Files(command, {file}), SCC_I_OPERATIONCANCELED);
        // The read that waits for the rest is broken off, not only the next one refused.
        EXPECT_BROKEN_OFF(Clock::now() - start);
        EXPECT_TRUE(dir.ReadFile("app/src/main.c") == "the old working file\n");
        EXPECT_EQ(Entries("app/src"), std::vector<std::string>{"main.c"});
        EXPECT_TRUE(Entries("tmp").empty());
        EXPECT_TRUE(ui.messages.empty()) << ui.messages[0];  // a cut transfer is no failure
        ASSERT_FALSE(ui.progressWindows.empty());
        EXPECT_EQ(ui.progressWindows.back()->texts.at(0), action);
        EXPECT_EQ(ui.progressWindows.back()->texts.at(1).rfind(file, 0), 0u);
    }
}

TEST_F(BusyCallTest, CancelDuringAnAddStopsItsTransferAndStartsNoOtherFile) {
    const std::vector<std::string> files = {dir.WriteFile("app/src/a.c", "a"),
                                            dir.WriteFile("app/src/b.c", "b")};
    EnqueueSlowly(testsupport::StatusBody(0), kVerySlow);
    server.Enqueue(testsupport::StatusReply(0));
    ui.cancelWhenShown = true;
    const size_t before = server.RequestCount();
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Files(AddToRepository, files), SCC_I_OPERATIONCANCELED);
    EXPECT_BROKEN_OFF(Clock::now() - start);
    EXPECT_EQ(server.RequestCount() - before, 1u);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.progressWindows.size(), 1u);
    EXPECT_EQ(ui.progressWindows[0]->texts, (std::vector<std::string>{"Adding files", files[0]}));
}

TEST_F(BusyCallTest, ACallOnTheBusyContextFromItsOwnThreadIsRefusedAtOnce) {
    const std::string file = dir.Path("app/src/a.c");
    SCCRTN reentered = SCC_OK;
    LONG inner = 0;
    ui.whileProgressShown = [&] { reentered = Status(file, &inner); };
    EnqueueSlowly(CheckedIn(), kSlow);
    LONG word = 0;
    EXPECT_EQ(Status(file, &word), SCC_OK);
    EXPECT_EQ(reentered, SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(server.RequestCount(), 2u);  // the login and the outer query
    // Once the call has returned the context takes calls again.
    ui.whileProgressShown = nullptr;
    server.Enqueue(testsupport::Answer({testsupport::HttpResponse(CheckedIn())}));
    EXPECT_EQ(Status(file, &word), SCC_OK);
}

TEST_F(BusyCallTest, TheWorkersMessagesAreShownOnTheCallingThread) {
    std::thread::id worker;
    context.Busy("Working", [&] {
        worker = std::this_thread::get_id();
        return brelmox::ReportMessage(context, "from the worker");
    });
    EXPECT_NE(worker, caller);
    const std::string missing = dir.Path("app/src/missing.c");
    const std::string refused = dir.WriteFile("app/src/refused.c", "r");
    server.Enqueue(testsupport::StatusReply(-2008, "refused by the server"));
    EXPECT_EQ(Files(AddToRepository, {missing, refused}), SCC_E_CONNECTIONFAILURE);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{"from the worker",
                                        "Cannot open '" + missing + "': No such file or directory",
                                        "refused by the server"}));
    EXPECT_EQ(ui.messageThreads, std::vector<std::thread::id>(3, caller));
}

TEST(ItemWithBytesTest, LargeTransfersShowTheirMebibytes) {
    constexpr uint64_t kMiB = 1024 * 1024;
    const struct {
        uint64_t done, total;
        const char* line;
    } cases[] = {
        {0, 0, "big.bin"},
        {1000, kMiB - 1, "big.bin"},
        {12 * kMiB, 256 * kMiB, "big.bin \xE2\x80\x94 12.0 of 256.0 MiB"},
        {kMiB + kMiB / 4, 3 * kMiB, "big.bin \xE2\x80\x94 1.3 of 3.0 MiB"},  // rounded
        {5 * kMiB, 2 * kMiB, "big.bin \xE2\x80\x94 2.0 of 2.0 MiB"},         // never past
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ItemWithBytes("big.bin", c.done, c.total), c.line) << c.done << " " << c.total;
    }
}

}  // namespace
}  // namespace scctest
