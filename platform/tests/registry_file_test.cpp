#include "platform/registry_file.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

namespace platform {
namespace {

const char kConfig[] = "SOFTWARE\\Farrowdyne\\Brelmox\\Config";
const char kConnection[] = "SOFTWARE\\Farrowdyne\\Brelmox\\Connection";

RegValue Text(const std::string& text) {
    return {RegType::String, text};
}
RegValue Bytes(const std::string& bytes) {
    return {RegType::Binary, bytes};
}

struct StoredValue {
    const char* key;
    const char* name;
    RegValue value;
};

// Sets an environment variable for one test and puts the old value back after it.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_, old_->c_str(), 1);
        if (!old_) unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// Every test gets a fresh configuration folder; the real one is never touched.
class RegistryFileTest : public ::testing::Test {
  protected:
    std::string StorePath() const { return home_.Path("brelmox/user.reg"); }
    std::string StoreText() const { return home_.ReadFile(StorePath()); }
    void WriteStore(const std::string& text) const { home_.WriteFile("brelmox/user.reg", text); }
    std::optional<RegValue> Read(const std::string& key, const std::string& name) const {
        RegValues values;
        if (!RegReadKey(key, &values) || !values.count(name)) return std::nullopt;
        return values.at(name);
    }

    testsupport::TempDir home_;
    ScopedEnv config_{"XDG_CONFIG_HOME", home_.Path()};
};

void ExpectSame(const std::optional<RegValue>& actual, const RegValue& expected) {
    ASSERT_TRUE(actual.has_value());
    EXPECT_EQ(actual->type, expected.type);
    EXPECT_EQ(actual->data, expected.data);
}

TEST_F(RegistryFileTest, StoredConfigurationReadsBackUnchanged) {
    const StoredValue cases[] = {
        {kConfig, "Username", Text("alice")},
        {kConfig, "Password", Text(std::string(127, 'p'))},
        {kConfig, "Organization", Text("Acme \xC3\xA9tudes")},  // UTF-8 bytes stay bytes
        {kConfig, "Project", Text("")},
        {kConfig, "DiffCommand", Text("\"C:\\Tools\\diff.exe\" %1 %2")},
        {kConnection, "URL", Text("[::1]:8443")},
        {kConnection, "Virtual Directory", Text("scm")},
        {kConnection, "Secure", Bytes("\x01")},
    };
    for (const auto& c : cases) ASSERT_EQ(RegSetValue(c.key, c.name, c.value), 0) << c.name;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectSame(Read(c.key, c.name), c.value);
    }
}

TEST_F(RegistryFileTest, WritesTheExportFileLayout) {
    RegSetValue(kConfig, "Username", Text("alice"));
    RegSetValue(kConfig, "Password", Text("se\"cret\\1"));
    RegSetValue(kConnection, "URL", Text("127.0.0.1:8080"));
    RegSetValue(kConnection, "Virtual Directory", Text("scm"));
    RegSetValue(kConnection, "Secure", Bytes("\x01"));
    RegSetValue(kConnection, "Empty", Bytes(""));
    RegSetValue("HKCU\\SOFTWARE\\Other", "", {RegType::Dword, std::string("\x2a\0\0\0", 4)});
    EXPECT_EQ(StoreText(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Config]\n"
              "\"Username\"=\"alice\"\n"
              "\"Password\"=\"se\\\"cret\\\\1\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\n"
              "\"URL\"=\"127.0.0.1:8080\"\n"
              "\"Virtual Directory\"=\"scm\"\n"
              "\"Secure\"=hex:01\n"
              "\"Empty\"=hex:\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n"
              "@=dword:0000002a\n");
}

TEST_F(RegistryFileTest, ReadsTheFormsAHandWrittenFileMayUse) {
    WriteStore(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "; written by hand\r\n"
        "[HKCU\\Software\\farrowdyne\\brelmox\\connection]\r\n"
        "\"url\" = \"host:81\"\r\n"
        "\"Bytes\"=hex:00,ff,\\\r\n"
        "  0A\r\n"
        "\"Count\"=dword:0000002A\r\n"
        "\"Kept\"=\"a\\\\b\\\"c\"\r\n"
        "\"Twice\"=\"first\"\r\n"
        "\"Twice\"=\"second\"\r\n"
        "\"Expand\"=hex(2):41,00,00,00\r\n"
        "@=\"default\"");
    const struct {
        const char* name;
        std::optional<RegValue> expected;
    } cases[] = {
        {"URL", Text("host:81")},
        {"bytes", Bytes(std::string("\x00\xff\x0a", 3))},
        {"Count", RegValue{RegType::Dword, std::string("\x2a\0\0\0", 4)}},
        {"Kept", Text("a\\b\"c")},
        {"Twice", Text("second")},
        {"Expand", std::nullopt},
        {"", Text("default")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto actual = Read(kConnection, c.name);
        if (c.expected) {
            ExpectSame(actual, *c.expected);
        } else {
            EXPECT_FALSE(actual.has_value()) << "a form this store does not read";
        }
    }
}

TEST_F(RegistryFileTest, AMissingKeyFailsWhileOthersStillRead) {
    RegValues values;
    EXPECT_FALSE(RegReadKey(kConfig, &values)) << "no file yet";
    WriteStore(
        "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\n\"URL\"=\"h\"\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Empty]\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrowdyne\\Brelmox\\Config]\n\"Username\"=\"x\"\n");
    EXPECT_FALSE(RegReadKey(kConfig, &values)) << "a key of another root is not ours";
    EXPECT_TRUE(RegReadKey("HKEY_CURRENT_USER\\SOFTWARE\\Empty", &values));
    EXPECT_TRUE(values.empty());
    ExpectSame(Read(kConnection, "URL"), Text("h"));
}

TEST_F(RegistryFileTest, WritingChangesOnlyTheValueWritten) {
    const std::string before =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; installer settings\r\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\r\n"
        "\"URL\"=\"old\"\r\n"
        "this line means nothing to the reader\r\n"
        "\"Secure\"=hex:00\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Else]\r\n"
        "\"URL\"=\"not ours\"";
    WriteStore(before);
    ASSERT_EQ(RegSetValue(kConnection, "url", Text("new")), 0);
    ASSERT_EQ(RegSetValue(kConnection, "Virtual Directory", Text("scm")), 0);
    ASSERT_EQ(RegSetValue(kConfig, "Username", Text("bob")), 0);
    EXPECT_EQ(StoreText(),
              "Windows Registry Editor Version 5.00\r\n"
              "\r\n"
              "; installer settings\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\r\n"
              "\"URL\"=\"new\"\r\n"
              "this line means nothing to the reader\r\n"
              "\"Secure\"=hex:00\r\n"
              "\"Virtual Directory\"=\"scm\"\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Else]\r\n"
              "\"URL\"=\"not ours\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Config]\n"
              "\"Username\"=\"bob\"\n");
}

TEST_F(RegistryFileTest, DeletesValuesAndKeysWithTheirSubkeysOnly) {
    WriteStore(
        "[HKEY_CURRENT_USER\\SOFTWARE\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\A\\Sub]\n\"z\"=\"3\"\n\n"
        "; about B\n[HKEY_CURRENT_USER\\SOFTWARE\\AB]\n\"w\"=\"4\"\n");
    EXPECT_EQ(RegDeleteValue("SOFTWARE\\A", "X"), 0);
    EXPECT_EQ(RegDeleteValue("SOFTWARE\\A", "x"), ENOENT);
    EXPECT_EQ(RegDeleteKey("HKCU\\SOFTWARE\\A"), 0);
    EXPECT_EQ(RegDeleteKey("HKCU\\SOFTWARE\\A"), ENOENT);
    EXPECT_EQ(StoreText(), "; about B\n[HKEY_CURRENT_USER\\SOFTWARE\\AB]\n\"w\"=\"4\"\n");
}

TEST_F(RegistryFileTest, FileIsPrivateToItsOwner) {
    ASSERT_EQ(RegSetValue(kConfig, "Password", Text("secret")), 0);
    struct stat file {};
    struct stat folder {};
    ASSERT_EQ(stat(StorePath().c_str(), &file), 0);
    ASSERT_EQ(stat(home_.Path("brelmox").c_str(), &folder), 0);
    EXPECT_EQ(file.st_mode & 07777, 0600u);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
}

TEST_F(RegistryFileTest, EmptyConfigHomeFallsBackToHome) {
    testsupport::TempDir home;
    ScopedEnv homeVariable("HOME", home.Path());
    const struct {
        const char* configHome;
        std::string expected;
    } cases[] = {
        {"", home.Path(".config/brelmox/user.reg")},
        {"/somewhere/else", "/somewhere/else/brelmox/user.reg"},
    };
    for (const auto& c : cases) {
        ScopedEnv configHome("XDG_CONFIG_HOME", c.configHome);
        EXPECT_EQ(ConfigFilePath(), c.expected);
    }
    ScopedEnv emptyConfigHome("XDG_CONFIG_HOME", "");
    ASSERT_EQ(RegSetValue(kConfig, "Username", Text("carol")), 0);
    EXPECT_TRUE(std::filesystem::exists(home.Path(".config/brelmox/user.reg")));
}

TEST_F(RegistryFileTest, ConcurrentWritersLoseNoValue) {
    const int kThreads = 8;
    const int kValuesEach = 10;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int v = 0; v < kValuesEach; ++v) {
                std::string name = "v" + std::to_string(t) + "_" + std::to_string(v);
                RegSetValue(kConfig, name, Text(name));
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    RegValues values;
    ASSERT_TRUE(RegReadKey(kConfig, &values));
    EXPECT_EQ(values.size(), size_t{kThreads * kValuesEach});
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
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(home_.Path("brelmox"))) {
        left.push_back(entry.path().filename());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"user.reg", "user.reg.lock"})) << "temp file left";
}

TEST_F(RegistryFileTest, RefusesWhatTheFileCannotHold) {
    const StoredValue cases[] = {
        {"HKLM\\SOFTWARE\\A", "x", Text("1")},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\A", "x", Text("1")},
        {"HKCU", "x", Text("1")},
        {"SOFTWARE\\\\A", "x", Text("1")},
        {"SOFTWARE\\A", "x", Text("two\nlines")},
        {"SOFTWARE\\A", "x\r", Text("1")},
        {"SOFTWARE\\A", "x", {RegType::Dword, "\x01"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegSetValue(c.key, c.name, c.value), EINVAL) << c.key << " " << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(StorePath()));
}

TEST_F(RegistryFileTest, ConfigHomeThatIsAFileGivesTheSystemError) {
    std::string notAFolder = home_.WriteFile("plain", "");
    ScopedEnv configHome("XDG_CONFIG_HOME", notAFolder);
    EXPECT_EQ(RegSetValue(kConfig, "Username", Text("x")), ENOTDIR);
}

TEST_F(RegistryFileTest, ImportNamesTheLineItCannotUnderstand) {
    WriteStore("[HKEY_CURRENT_USER\\SOFTWARE\\A]\n\"x\"=\"1\"\n");
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"[HKCU\\SOFTWARE\\A]\n\"y\"=\"2\"\n\"z\"=\"3\n", ", line 3: a value whose"},
        {"\"y\"=\"2\"\n", ", line 1: a value before any key"},
        {"Windows Registry Editor Version 5.00\n\n[HKLM\\SOFTWARE\\A]\n", ", line 3: not a key"},
        {"[HKCU\\SOFTWARE\\A]\nrubbish\n", ", line 2: a line that is neither"},
        {"; nothing\n", ": no key to import"},
    };
    for (const auto& c : cases) {
        std::string file = home_.WriteFile("in.reg", c.text);
        std::string error;
        EXPECT_EQ(RegImportFile(file, &error), EINVAL) << c.text;
        EXPECT_EQ(error.rfind(file + c.message, 0), 0u) << error;
    }
    EXPECT_EQ(StoreText(), "[HKEY_CURRENT_USER\\SOFTWARE\\A]\n\"x\"=\"1\"\n") << "nothing merged";
}

}  // namespace
}  // namespace platform
