// What a server refuses at start and what a request lacking a name is told, in words a
// person acts on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "server_fixture.h"
#include "test_support/run_program.h"

namespace servertest {
namespace {

void SetModes(const std::string& folder, mode_t folderMode, mode_t fileMode) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        chmod(entry.path().c_str(), entry.is_directory() ? folderMode : fileMode);
    chmod(folder.c_str(), folderMode);
}

using StartupRefusalTest = ServerFixture;

TEST_F(StartupRefusalTest, ASecondServerOnATakenPortIsRefused) {
    const std::string other = dir_.Path("other");
    server::CreateStorage(server::StorageOptions{other, ""});
    server::ServeOptions options;
    options.dataFolder = other;
    options.port = port_;
    server::RepositoryServer second(options);
    try {
        second.Bind();
        ADD_FAILURE() << "two servers listen on port " << port_;
    } catch (const server::StartupError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot listen on 127.0.0.1:" + std::to_string(port_) +
                                                 ": Address already in use.");
    }
}

TEST_F(StartupRefusalTest, ANameLeftEmptyIsRefusedInTheWordsOfTheRequest) {
    const struct {
        const char* script;
        Fields fields;
        std::string error;
    } cases[] = {
        {"create_label_cli.php", {{"label", ""}, {"description", "d"}}, "A label needs a name."},
        {"create_project_from_cli.php",
         {{"project_name", ""}, {"project_description", ""}},
         "A project needs a name."},
        {"create_label_cli.php",
         {{"label", "a\tb"}, {"description", ""}},
         "Invalid value 'a\tb' for the field 'label'."},
    };
    for (const auto& c : cases) {
        const std::vector<Record> records = Records(Ask(c.script, c.fields));
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].At("status"), "-2106") << c.error;
        EXPECT_EQ(records[0].At("error"), c.error);
    }
}

// The folder is made read-only for the program; a superuser writes anyway, so then the
// program runs as nobody. With a database, the folder holds only the server's uploads in
// progress, and its lock.
TEST(ReadOnlyFolderTest, ServingAReadOnlyFolderSaysSo) {
    testsupport::TempDir dir;
    const std::string folder = dir.Path("data");
    PgTestDatabase pg;
    std::vector<std::string> command = {testsupport::BinPath("brelmox-server"),
                                        "serve",
                                        "--data",
                                        "./data/",
                                        "--listen",
                                        "127.0.0.1:0"};
    if (TestingPostgres()) {
        if (!pg.Available()) GTEST_SKIP() << kNoPgMessage;
        server::CreateStorage(server::StorageOptions{folder, pg.Url()});
        std::filesystem::create_directories(folder + "/tmp");
        command.insert(command.end(), {"--database", pg.Url()});
    } else {
        server::CreateStorage(server::StorageOptions{folder, ""});
    }
    SetModes(folder, 0555, 0444);
    chmod(dir.Path().c_str(), 0755);
    if (geteuid() == 0) {
        command.insert(command.begin(),
                       {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    const testsupport::RunResult result = testsupport::RunProgram(command, {}, "", dir.Path());
    SetModes(folder, 0755, 0644);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.stderrText, "brelmox-server: The data folder './data' is read-only.\n");
}

}  // namespace
}  // namespace servertest
