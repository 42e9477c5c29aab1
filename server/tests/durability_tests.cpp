// Concurrent requests and restarts.
#include <atomic>
#include <filesystem>
#include <thread>

#include "server/admin.h"
#include "server/database.h"
#include "server_fixture.h"

namespace servertest {
namespace {

class DurabilityTest : public ServerFixture {};

TEST_F(DurabilityTest, ConcurrentCheckOutsOfOneFileHaveExactlyOneWinner) {
    constexpr int kUsers = 8;
    {
        server::Database db(data_ + "/brelmox.db", false);
        for (int i = 0; i < kUsers; ++i)
            server::AddUser(db, "acme", "u" + std::to_string(i), "builder", 1000);
    }
    Upload("Src", "hot.c", "contended");
    std::atomic<int> winners = 0;
    std::atomic<int> refused = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < kUsers; ++i) {
        threads.emplace_back([&, i] {
            const std::vector<Record> records =
                ParseRecords(Get("Src/hot.c", false, true, {}, "u" + std::to_string(i)));
            ASSERT_EQ(records.size(), 1u);
            const std::string& status = records[0].fields.at("status");
            if (status == "0") ++winners;
            if (status == "-2008") ++refused;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(winners.load(), 1);
    EXPECT_EQ(refused.load(), kUsers - 1);
}

TEST_F(DurabilityTest, RestartKeepsEveryVersion) {
    Upload("Src", "a.c", "one");
    Get("Src/a.c", false, true);
    Upload("Src", "a.c", "two", true);
    Get("Src/a.c", false, true);
    StopServer();
    StartServer();
    EXPECT_EQ(
        Unpacked(ParseRecords(Get("Src/a.c", false, false, {{"version_no", "1"}}))[0].content),
        "one");
    EXPECT_EQ(Unpacked(ParseRecords(Get("Src/a.c"))[0].content), "two");
    EXPECT_EQ(ParseRecords(Get("Src/a.c", false, true, {}, "bob"))[0].fields.at("status"), "-2008")
        << "the check-out survives the restart too";
}

TEST_F(DurabilityTest, LeftoverTemporariesAreClearedAtStart) {
    StopServer();
    dir_.WriteFile("data/tmp/request-cutshort", "half an upload");
    StartServer();
    EXPECT_TRUE(std::filesystem::is_empty(data_ + "/tmp"));
}

TEST_F(DurabilityTest, OnlyOneServerPerDataFolder) {
    server::ServeOptions options;
    options.dataFolder = data_;
    EXPECT_THROW(server::RepositoryServer second(options), server::StartupError);
}

}  // namespace
}  // namespace servertest
