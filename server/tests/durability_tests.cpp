// Refused requests that change nothing, concurrent writers, restarts and long answers.
#include <algorithm>
#include <future>
#include <thread>

#include "server/admin/admin.h"
#include "server_fixture.h"

namespace servertest {
namespace {

class DurabilityTest : public ServerFixture {};

TEST_F(DurabilityTest, DamagedArchivesAreRefusedAndChangeNothing) {
    Upload("Src", "a.c", "first version");
    Get("Src/a.c", false, true);
    const std::string good = Archive("second version, long enough");
    // The CRC sits at offset 14 of the local header and 16 of the central directory entry.
    std::string wrongCrc = good;
    wrongCrc[14] ^= 0x5a;
    wrongCrc[good.find("PK\x01\x02") + 16] ^= 0x5a;
    const std::string before = Snapshot();
    for (const std::string& damaged :
         {wrongCrc, good.substr(0, good.size() / 2), std::string("plain text, not an archive")}) {
        EXPECT_EQ(PostArchive("Src", "a.c", damaged, true),
                  "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2104\n--AaB03x\nerror:The uploaded "
                  "archive of 'Src/a.c' is damaged (not a zip archive, or a failed CRC check).\n");
        EXPECT_EQ(Statuses(PostArchive("Src", "new.c", damaged)), "-2104");
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(DurabilityTest, DescriptionsOverTheLimitAreRefusedAndChangeNothing) {
    Upload("Src", "a.c", "first version");
    Get("Src/a.c", false, true);
    const std::string longest(64 * 1024, 'd');
    const auto project = [](const std::string& description) {
        Fields fields = Who();
        fields[3] = {"project_name", "api"};
        fields.emplace_back("project_description", description);
        return FormBody(fields);
    };
    const auto label = [](const std::string& description) {
        return Fields{{"label", "R1"}, {"description", description}};
    };
    const std::string before = Snapshot();
    const std::string refused =
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2102\n--AaB03x\nerror:The description is "
        "longer than the server accepts (65536 bytes).\n";
    const std::pair<const char*, std::string> tooLong[] = {
        {"add", PostArchive("Src", "b.c", Archive("new"), false, longest + "d")},
        {"check-in", PostArchive("Src", "a.c", Archive("second version"), true, longest + "d")},
        {"label", Ask("create_label_cli.php", label(longest + "d"))},
        {"project", Post("create_project_from_cli.php", project(longest + "d"))},
    };
    for (const auto& [what, answer] : tooLong) EXPECT_EQ(answer, refused) << what;
    EXPECT_EQ(Snapshot(), before);
    EXPECT_THROW(server::AddProject(*server::OpenStorage(Storage()), "acme", "cli", longest + "d"),
                 server::AdminError);

    const std::pair<const char*, std::string> longestTaken[] = {
        {"add", PostArchive("Src", "b.c", Archive("new"), false, longest)},
        {"check-in", PostArchive("Src", "a.c", Archive("second version"), true, longest)},
        {"label", Ask("create_label_cli.php", label(longest))},
        {"project", Post("create_project_from_cli.php", project(longest))},
    };
    for (const auto& [what, answer] : longestTaken) EXPECT_EQ(Statuses(answer), "0") << what;
}

TEST_F(DurabilityTest, RequestsAfterTheDatabaseClosedItsConnectionsSucceed) {
    if (!TestingPostgres()) GTEST_SKIP() << "only a shared database closes connections";
    // Validations at once, so that the pool keeps several connections.
    const auto validations = [this](int count) {
        std::vector<std::future<std::string>> answers;
        for (int i = 0; i < count; ++i) {
            answers.push_back(std::async(std::launch::async, [this] {
                return Statuses(Post("validate_user_from_cli.php", FormBody(Who())));
            }));
        }
        std::string statuses;
        for (auto& answer : answers) statuses += answer.get() + " ";
        return statuses;
    };
    EXPECT_EQ(validations(8), "0 0 0 0 0 0 0 0 ");
    pg_->CloseConnections();  // what a restart of the database does to them
    EXPECT_EQ(validations(16), "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 ");
}

TEST_F(DurabilityTest, PathsThatLeaveTheProjectAreRefusedAndChangeNothing) {
    Upload("Src", "a.c", "x");
    const std::string before = Snapshot();
    const std::pair<const char*, const char*> uploads[] = {
        {"..", "a.c"},      {"Src/../..", "a.c"}, {"/etc", "a.c"}, {"\\Src", "a.c"},
        {"C:\\Src", "a.c"}, {"Src", ".."},        {"S*c", "a.c"},  {"Src", "a?.c"},
    };
    for (const auto& [folder, name] : uploads)
        EXPECT_EQ(Statuses(PostArchive(folder, name, Archive("x"))), "-2103") << folder << name;
    for (const char* viewPath : {"../web/Src", "Src/../../x", "/Src"})
        EXPECT_EQ(Statuses(Get(viewPath, true, true)), "-2103") << viewPath;
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(DurabilityTest, NamesNoClientCanStoreAreRefusedAndChangeNothing) {
    const std::string longest(255, 'n');
    EXPECT_EQ(Statuses(Upload("Doc/" + longest, longest, "x")), "0");
    Upload("Doc", "a", "file");
    Upload("Doc/b", "x", "in a folder");
    Get("Doc/a", false, true);
    const std::string before = Snapshot();
    const std::pair<std::string, std::string> uploads[] = {
        {"Doc", longest + "n"},  // a name over 255 bytes
        {"Doc/" + longest + "n", "x"},
        {"Doc", "b"},    // a file where a folder has files
        {"Doc/a", "y"},  // a folder where a file is
        {"Doc/a/deeper", "y"},
        {"Doc", "a|b.c"},  // a '|' would split the path in a multi-file status
        {"D|oc", "x"},
    };
    for (const auto& [folder, name] : uploads)
        EXPECT_EQ(Statuses(Upload(folder, name, "x")), "-2103") << folder << " " << name;
    EXPECT_EQ(Upload("Doc", "a|b.c", "x"),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2103\n--AaB03x\nerror:Path 'Doc/a|b.c' "
              "holds a '|', which cannot be stored: the multi-file status joins paths with it.\n");
    EXPECT_EQ(Statuses(Upload("Doc", "b", "x", true)), "-2103") << "check-in of a clash";
    EXPECT_EQ(Snapshot(), before);
    Ask("remove_files_from_cli.php", {{"recurse", "N"}, {"viewpath", "Doc/b/x"}});
    EXPECT_EQ(Statuses(Upload("Doc", "b", "x")), "0") << "a removed file leaves no folder";
}

TEST_F(DurabilityTest, ACheckOutEndsAtTheRecordTheClientStopsAtAndChecksOutNothingBehindIt) {
    for (const char* name : {"a.c", "b.c", "c.c"}) Upload("Src", name, "one");
    Upload("Src/sub", "d.c", "one");
    for (const char* name : {"a.c", "c.c"}) {
        Get(std::string("Src/") + name, false, true);
        Upload("Src", name, "two", true);
    }
    Get("Src/b.c", false, true, {}, "bob");
    const auto mine = [&] {
        return Statuses(Ask("query_info_multiple_from_cli_a.php",
                            {{"filepaths", "Src\\a.c|Src\\b.c|Src\\c.c|Src\\sub\\d.c"}}));
    };
    // Recursive: another user's file ends the client's walk, a missing version does not.
    EXPECT_EQ(Statuses(Get("Src", true, true)), "0 -2008");
    EXPECT_EQ(mine(), "0 -2026 -2008 -2010 -2010");
    Ask("uncheckout_from_cli.php", {{"recurse", "N"}, {"viewpath", "Src/a.c"}});
    Ask("uncheckout_from_cli.php", {{"recurse", "N"}, {"viewpath", "Src/b.c"}}, "bob");
    EXPECT_EQ(Statuses(Get("Src", true, true, {{"version_no", "2"}})), "0 -2013 0 -2013");
    EXPECT_EQ(mine(), "0 -2026 -2010 -2026 -2010");
    Ask("uncheckout_from_cli.php", {{"recurse", "Y"}, {"viewpath", "Src"}});
    // Without recursion every refusal ends it.
    EXPECT_EQ(Statuses(Get("Src/*.c", false, true, {{"version_no", "2"}})), "0 -2013");
    EXPECT_EQ(mine(), "0 -2026 -2010 -2010 -2010");
}

TEST_F(DurabilityTest, ConcurrentCheckOutsOfOneFileHaveExactlyOneWinner) {
    ExpectOneCheckOutWinner(8, [&](int) { return port_; });
}

TEST_F(DurabilityTest, RestartKeepsEveryVersionAndCheckOut) {
    Upload("Src", "a.c", "one");
    Get("Src/a.c", false, true);
    Upload("Src", "a.c", "two", true);
    Get("Src/a.c", false, true);
    server::ServeOptions options;
    options.dataFolder = data_;
    options.databaseUrl = Storage().databaseUrl;
    EXPECT_THROW(server::RepositoryServer second(options), server::StartupError)
        << "a data folder serves one server at a time";
    StopServer();
    StartServer();
    const std::string first = Get("Src/a.c", false, false, {{"version_no", "1"}});
    EXPECT_EQ(Unpacked(Records(first).at(0).content), "one");
    EXPECT_EQ(Unpacked(Records(Get("Src/a.c")).at(0).content), "two");
    EXPECT_EQ(Statuses(Get("Src/a.c", false, true, {}, "bob")), "-2008");
}

TEST_F(DurabilityTest, ManyRecordsAreStreamedChunked) {
    for (int i = 0; i < 60; ++i)
        Upload("Many", "f" + std::to_string(100 + i), std::string(5000, 'a' + i % 26));
    Fields fields = Who();
    fields.insert(fields.end(), {{"recurse", "N"}, {"checkout", "N"}, {"viewpath", "Many"}});
    const httplib::Result result = PostRaw("/get_files_from_cli.php", FormBody(fields));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->get_header_value("Transfer-Encoding"), "chunked");
    EXPECT_FALSE(result->has_header("Content-Length"));
    const std::vector<Record> records = Records(result->body);
    ASSERT_EQ(records.size(), 60u);
    EXPECT_EQ(records[59].At("name"), "f159");
    EXPECT_EQ(Unpacked(records[59].content), std::string(5000, 'a' + 59 % 26));
}

}  // namespace
}  // namespace servertest
