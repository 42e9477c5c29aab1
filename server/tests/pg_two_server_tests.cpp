// Two serving processes over one database: the fixture's server and a brelmox-server
// program, as two machines behind a load balancer would run them; and a data folder
// migrated into a database and served from there.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <random>
#include <thread>

#include "raw_connection.h"
#include "server/admin/admin.h"
#include "server/storage/postgres/pg_connection.h"
#include "server_fixture.h"
#include "test_support/background_program.h"
#include "test_support/run_program.h"

namespace servertest {
namespace {

using testsupport::BinPath;

// Holds back the writing of every chunk (a lock on their table) until released, so that an
// upload that reaches its first chunk stays in the middle of being stored.
class ChunkWritesHeld {
  public:
    explicit ChunkWritesHeld(const std::string& url) : db_(url) {
        db_.Execute("BEGIN; LOCK TABLE content_chunks IN EXCLUSIVE MODE");
    }

    // The backend of the upload that waits for the lock, once there is one.
    std::int64_t WaitForWriter() {
        for (int poll = 0; poll < 6000; ++poll) {
            const server::pg::Result waiting = db_.Query(
                "SELECT pid::bigint FROM pg_locks WHERE NOT granted AND "
                "relation = 'content_chunks'::regclass");
            if (!waiting.Empty()) return waiting.Int(0, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "no upload reached its first chunk within a minute";
        return 0;
    }

    void Release() { db_.Execute("ROLLBACK"); }

    // Waits until the backend has ended, as one whose client was killed does once it runs on.
    void WaitUntilGone(std::int64_t backend) {
        for (int poll = 0; poll < 6000; ++poll) {
            if (db_.Query("SELECT 1 FROM pg_stat_activity WHERE pid = $1", backend).Empty()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "the killed server's backend " << backend << " went on for a minute";
    }

  private:
    server::pg::Connection db_;
};

class TwoServerTest : public ServerFixture {
  protected:
    void SetUp() override {
        if (!TestingPostgres()) GTEST_SKIP() << "runs with the PostgreSQL run of the suite";
        ServerFixture::SetUp();
        if (IsSkipped()) return;
        first_ = port_;
        StartSecond();
    }

    void StartSecond() {
        second_.reset();
        second_ = std::make_unique<testsupport::BackgroundProgram>(
            std::vector<std::string>{BinPath("brelmox-server"), "serve", "--database", pg_->Url(),
                                     "--data", dir_.Path("second"), "--listen", "127.0.0.1:0"},
            std::map<std::string, std::string>{}, dir_.Path("second.log"));
        const std::optional<std::string> line = second_->WaitForLine("listening on ");
        ASSERT_TRUE(line) << dir_.ReadFile("second.log");
        secondPort_ = std::stoi(line->substr(line->rfind(':') + 1));
    }

    // Runs the fixture's requests against the other server.
    template <typename Work>
    auto OnSecond(Work work) {
        port_ = secondPort_;
        struct Back {
            int& port;
            int first;
            ~Back() { port = first; }
        } back{port_, first_};
        return work();
    }

    // An add of archive as Src/name through the second server, sent from another thread.
    std::future<std::string> UploadOnSecond(const std::string& name, const std::string& archive) {
        Fields fields = Who();
        fields.insert(fields.end(), {{"viewpath", "Src"}, {"checkin", "N"}, {"description", ""}});
        return std::async(std::launch::async,
                          [body = UploadBody(fields, name, archive), port = secondPort_] {
                              httplib::Client client("127.0.0.1", port);
                              client.set_read_timeout(120);
                              const httplib::Result result =
                                  client.Post("/add_files_from_cli.php", body, kClientType);
                              return result ? Statuses(result->body) : std::string("no answer");
                          });
    }

    // Archives that do not pack, so that they take several chunks.
    std::string LargeArchive(std::size_t size) {
        std::mt19937 random(7);
        std::string content(size, '\0');
        for (char& byte : content) byte = static_cast<char>(random());
        return Archive(content);
    }

    std::int64_t Count(const char* sql) {
        return server::pg::Connection(pg_->Url()).Query(sql).Int(0, 0);
    }

    int first_ = 0;
    int secondPort_ = 0;
    std::unique_ptr<testsupport::BackgroundProgram> second_;
};

TEST_F(TwoServerTest, SixteenClientsOnTwoServersCheckOutOneFileWithOneWinner) {
    ExpectOneCheckOutWinner(16, [&](int i) { return i % 2 == 0 ? first_ : secondPort_; });
}

TEST_F(TwoServerTest, WhatOneServerStoresTheOtherServes) {
    Upload("Src", "a.c", "added on the first");
    const std::vector<Record> fetched = Records(OnSecond([&] { return Get("Src/a.c"); }));
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(Unpacked(fetched[0].content), "added on the first");

    OnSecond([&] { return Upload("Src", "b.c", "added on the second"); });
    OnSecond([&] { return Ask("create_label_cli.php", {{"label", "R1"}, {"description", ""}}); });
    const std::vector<Record> labelled = Records(Get("Src", true, false, {{"label", "R1"}}));
    ASSERT_EQ(labelled.size(), 2u) << "the label covers the files of both servers";
    EXPECT_EQ(Unpacked(labelled[1].content), "added on the second");
}

TEST_F(TwoServerTest, AServerKilledMidUploadLeavesTheOtherServingAndTheStoreAsItWas) {
    Upload("Src", "a.c", "before");
    const std::string before = Snapshot();
    RawConnection upload(secondPort_);
    Fields fields = Who();
    fields.insert(fields.end(), {{"viewpath", "Src"}, {"checkin", "N"}, {"description", ""}});
    const std::string body = FormBody(fields).substr(0, FormBody(fields).size() - 4) +
                             "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"userfile\"; "
                             "filename=\"big.c\"\r\n\r\n" +
                             Archive(std::string(1 << 20, 'x'));
    ASSERT_TRUE(upload.Send("POST /add_files_from_cli.php HTTP/1.1\r\nHost: x\r\nContent-Type: " +
                            std::string(kClientType) + "\r\nContent-Length: " +
                            std::to_string(body.size() + 1000) + "\r\n\r\n" + body));
    kill(second_->Pid(), SIGKILL);
    second_->Stop();

    EXPECT_EQ(Unpacked(Records(Get("Src/a.c")).at(0).content), "before");
    EXPECT_EQ(Snapshot(), before);
    StartSecond();
    EXPECT_EQ(Statuses(OnSecond([&] { return Upload("Src", "c.c", "after"); })), "0");
}

TEST_F(TwoServerTest, ALargeUploadBeingStoredHoldsUpNoWriteOfTheOtherServer) {
    Upload("Src", "a.c", "small");
    const std::string archive = LargeArchive(3 << 20);
    ChunkWritesHeld held(pg_->Url());
    std::future<std::string> upload = UploadOnSecond("big.bin", archive);
    held.WaitForWriter();

    EXPECT_EQ(Statuses(Get("Src/a.c", false, true)), "0") << "a check-out waited for the upload";
    EXPECT_EQ(Statuses(Ask("create_label_cli.php", {{"label", "R1"}, {"description", ""}})), "0");
    EXPECT_EQ(Count("SELECT count(*) FROM contents"), 1) << "a part of the upload is visible";

    held.Release();
    EXPECT_EQ(upload.get(), "0");
    const std::vector<Record> fetched = Records(Get("Src/big.bin"));
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0].content, archive);
    EXPECT_EQ(Count("SELECT count(*) FROM loose_contents"), 0) << "the version did not claim it";
}

TEST_F(TwoServerTest, AServerKilledWhileStoringAnUploadLeavesNothingOfIt) {
    Upload("Src", "a.c", "before");
    const std::string before = Snapshot();
    const std::string archive = LargeArchive(3 << 20);
    ChunkWritesHeld held(pg_->Url());
    std::future<std::string> upload = UploadOnSecond("big.bin", archive);
    const std::int64_t backend = held.WaitForWriter();
    kill(second_->Pid(), SIGKILL);
    second_->Stop();
    EXPECT_EQ(upload.get(), "no answer");
    held.Release();
    held.WaitUntilGone(backend);

    EXPECT_EQ(Snapshot(), before);
    StartSecond();
    EXPECT_EQ(UploadOnSecond("big.bin", archive).get(), "0") << "the address stayed claimed";
    EXPECT_EQ(Records(Get("Src/big.bin")).at(0).content, archive);
}

TEST_F(TwoServerTest, ARefusedLargeUploadIsNotStored) {
    const std::string archive = LargeArchive(3 << 20);
    EXPECT_EQ(UploadOnSecond("big.bin", archive).get(), "0");
    const std::string before = Snapshot();
    const std::string other = LargeArchive(2 << 20);
    EXPECT_EQ(UploadOnSecond("big.bin", other).get(), "-2007");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(TwoServerTest, AMigratedDataFolderServesEveryFileAsItWas) {
    const std::string folder = dir_.Path("folder");
    const auto admin = [&](std::vector<std::string> arguments, const std::string& input = "") {
        arguments.insert(arguments.begin(), BinPath("brelmox-server"));
        arguments.insert(arguments.end(), {"--data", folder});
        const testsupport::RunResult result = testsupport::RunProgram(arguments, {}, input);
        EXPECT_EQ(result.exitStatus, 0) << result.stderrText;
        return result.stdoutText;
    };
    admin({"init"});
    admin({"org", "add", "acme"});
    admin({"user", "add", "acme", "alice"}, "secret\n");
    admin({"user", "add", "acme", "bob"}, "builder\n");
    admin({"project", "add", "acme", "web"});
    StopServer();
    server::ServeOptions options;
    options.dataFolder = folder;
    options.port = 0;
    auto folderServer = std::make_unique<server::RepositoryServer>(options);
    port_ = folderServer->Bind();
    std::thread serving([&] { folderServer->Run(); });
    const std::string big(3 << 20, 'q');  // more than one chunk, packed or not
    Upload("Src", "a.c", "one");
    Get("Src/a.c", false, true);
    Upload("Src", "a.c", "two", true);
    Ask("create_label_cli.php", {{"label", "R1"}, {"description", ""}});
    Upload("Src/deep", "big.bin", big);
    Get("Src/a.c", false, true, {}, "bob");
    const std::string served = Get("Src", true);
    folderServer->Stop();
    serving.join();

    PgTestDatabase target;
    const std::string said = admin({"migrate", "--database", target.Url()});
    EXPECT_NE(said.find("2 files, 3 archives checked, 3 versions, 1 checkouts"), std::string::npos)
        << said;
    const testsupport::RunResult again = testsupport::RunProgram(
        {BinPath("brelmox-server"), "migrate", "--data", folder, "--database", target.Url()});
    EXPECT_EQ(again.exitStatus, 1) << "a second copy was made into a database not empty";

    server::ServeOptions fromDatabase;
    fromDatabase.dataFolder = dir_.Path("served");
    fromDatabase.databaseUrl = target.Url();
    fromDatabase.port = 0;
    auto databaseServer = std::make_unique<server::RepositoryServer>(fromDatabase);
    port_ = databaseServer->Bind();
    std::thread serving2([&] { databaseServer->Run(); });
    EXPECT_EQ(Get("Src", true), served);
    EXPECT_EQ(Unpacked(Records(Get("Src/a.c", false, false, {{"version_no", "1"}})).at(0).content),
              "one");
    EXPECT_EQ(Statuses(Get("Src/a.c", false, false, {{"label", "R1"}})), "0");
    EXPECT_EQ(Statuses(Get("Src/a.c", false, true)), "-2008") << "bob's check-out was kept";
    EXPECT_EQ(Statuses(Upload("Src", "new.c", "after")), "0") << "ids go on after the copied";
    databaseServer->Stop();
    serving2.join();
}

}  // namespace
}  // namespace servertest
