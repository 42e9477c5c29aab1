// The configuration store on disk: the exact text it writes, hand-written lines kept byte for
// byte, and no value lost to a concurrent writer or a failed write.
#include "platform/registry_file.h"

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

const char kConfig[] = "SOFTWARE\\Farrowdyne\\Brelmox\\Config";
const char kConnection[] = "SOFTWARE\\Farrowdyne\\Brelmox\\Connection";

RegValue Text(const std::string& text) {
    return {RegType::String, text};
}

// Every test gets a fresh configuration folder; the real one is never touched.
class RegistryFileTest : public ::testing::Test {
  protected:
    RegistryFileTest() { setenv("XDG_CONFIG_HOME", home_.Path().c_str(), 1); }
    std::string StoreText() const { return home_.ReadFile("brelmox/user.reg"); }
    void WriteStore(const std::string& text) const { home_.WriteFile("brelmox/user.reg", text); }

    testsupport::TempDir home_;
};

TEST_F(RegistryFileTest, ReadsHandWrittenFormsAndKeepsTheirLinesOnWrite) {
    RegValues values;
    EXPECT_FALSE(RegReadKey(kConnection, &values)) << "no file yet";
    // Writing "url" and adding values must leave every other line byte for byte; what is
    // written has the exact text of each type.
    const std::string kept =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "; written by hand\r\n"
        "[HKCU\\Software\\farrowdyne\\brelmox\\connection]\r\n";
    const std::string keptAfterUrl =
        "\"Bytes\"=hex:00,ff,\\\r\n"
        "  0A\r\n"
        "\"Count\"=dword:0000002A\r\n"
        "\"Kept\"=\"a\\\\b\\\"c\"\r\n"
        "\"Twice\"=\"first\"\r\n"
        "\"Twice\"=\"second\"\r\n"
        "\"Expand\"=hex(2):41,00,00,00\r\n"
        "this line means nothing to the reader\r\n"
        "@=\"default\"\r\n";
    const std::string otherRoot =
        "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrowdyne\\Brelmox\\Config]\r\n\"Username\"=\"x\"";
    WriteStore(kept + "\"url\" = \"host:81\"\r\n" + keptAfterUrl + otherRoot);

    ASSERT_TRUE(RegReadKey(kConnection, &values));
    std::string shown;
    for (const auto& [name, value] : values) shown += name + "=" + FormatRegValue(value) + "\n";
    EXPECT_EQ(shown,
              "=\"default\"\nBytes=hex:00,ff,0a\nCount=dword:0000002a\nKept=\"a\\\\b\\\"c\"\n"
              "Twice=\"second\"\nurl=\"host:81\"\n");
    EXPECT_FALSE(RegReadKey(kConfig, &values)) << "a key of another root is not ours";

    ASSERT_EQ(RegSetValue(kConnection, "URL", Text("se\"cret\\1")), 0);
    ASSERT_EQ(RegSetValue(kConnection, "Secure", {RegType::Binary, "\x01\xff"}), 0);
    ASSERT_EQ(RegSetValue(kConnection, "Empty", {RegType::Binary, ""}), 0);
    ASSERT_EQ(RegSetValue(kConfig, "", {RegType::Dword, "\x78\x56\x34\x12"}), 0);
    EXPECT_EQ(StoreText(), kept + "\"url\"=\"se\\\"cret\\\\1\"\r\n" + keptAfterUrl +
                               "\"Secure\"=hex:01,ff\n\"Empty\"=hex:\n" + otherRoot + "\n\n" +
                               "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Config]\n"
                               "@=dword:12345678\n");
}

TEST_F(RegistryFileTest, ANewStoreIsPrivateAndConcurrentWritersLoseNoValue) {
    const int kThreads = 8, kValuesEach = 10;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int v = 0; v < kValuesEach; ++v) {
                RegSetValue(kConfig, "v" + std::to_string(t * kValuesEach + v), Text("x"));
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    RegValues values;
    ASSERT_TRUE(RegReadKey(kConfig, &values));
    EXPECT_EQ(values.size(), size_t{kThreads * kValuesEach});
    EXPECT_TRUE(
        StoreText().starts_with("Windows Registry Editor Version 5.00\n\n"
                                "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Config]\n"));
    EXPECT_EQ(fs::status(home_.Path("brelmox/user.reg")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write)
        << "the file holds the password";
    EXPECT_EQ(fs::status(home_.Path("brelmox")).permissions(), fs::perms::owner_all);
}

TEST_F(RegistryFileTest, AFailedWriteLeavesTheOldFileWhole) {
    const std::string before = "[HKEY_CURRENT_USER\\SOFTWARE\\A]\n\"x\"=\"1\"\n";
    WriteStore(before);
    // A file-size limit stands in for a full disk: the write of the new file fails midway.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = before.size();
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    int result = RegSetValue("SOFTWARE\\A", "y", Text(std::string(100, 'y')));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(StoreText(), before);
    fs::directory_iterator folder(home_.Path("brelmox"));
    EXPECT_EQ(std::distance(folder, {}), 2) << "only user.reg and its lock, no temporary file";
}

}  // namespace
}  // namespace platform
