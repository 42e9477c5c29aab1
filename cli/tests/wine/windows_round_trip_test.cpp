// brelmox.exe under Wine against the Linux brelmox-server, with the Linux brelmox on the other
// side: what Windows adds comes back byte for byte on Linux and the other way round, every
// command works, and a get cut short leaves the old file and nothing else.
//
// Run by the Windows build's tests, which say where its programs and its Wine prefix are
// (BRELMOX_WINDOWS_BIN_DIR, BRELMOX_WINEPREFIX, BRELMOX_WINE_RUN); BRELMOX_BIN_DIR is this
// build's.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/sha.h>
#include <openssl/x509.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "test_support/background_program.h"
#include "test_support/local_server.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const char kConnectionKey[] = "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection";
const std::string kTrustedRoots =
    "HKCU\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

// The path as a Windows program under Wine names it: drive Z: is the root folder.
std::string WinPath(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : c;
    return "Z:" + path;
}

// Bytes a text mode would spoil: CR, LF, 0x1A and NUL, mixed with others, the same in every
// run.
std::string ControlBytes(size_t count) {
    std::mt19937 generator(7);
    std::string bytes(count, '\0');
    const char control[] = {'\r', '\n', '\x1a', '\0'};
    for (char& byte : bytes) {
        const unsigned draw = generator();
        byte = draw % 2 == 0 ? control[(draw >> 1) % 4] : static_cast<char>(draw >> 8);
    }
    return bytes;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The certificate of a PEM file as the registry's certificate stores keep one: under its
// SHA-1 thumbprint, a Blob of serialized properties of which the encoded certificate (property
// 32) is the one needed. Empty names when the file cannot be read.
struct StoredCertificate {
    std::string thumbprint;  // hex digits, upper case
    std::string blobHex;
};
StoredCertificate ForCertificateStore(const std::string& pemPath) {
    StoredCertificate stored;
    FILE* file = std::fopen(pemPath.c_str(), "r");
    if (file == nullptr) return stored;
    X509* certificate = PEM_read_X509(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    unsigned char* der = nullptr;
    const int size = certificate == nullptr ? -1 : i2d_X509(certificate, &der);
    unsigned char digest[SHA_DIGEST_LENGTH];
    unsigned digestSize = 0;
    if (size > 0 && X509_digest(certificate, EVP_sha1(), digest, &digestSize) == 1) {
        auto hex = [](const unsigned char* bytes, size_t count) {
            std::string text;
            char pair[3];
            for (size_t i = 0; i < count; ++i) {
                std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
                text += pair;
            }
            return text;
        };
        stored.thumbprint = hex(digest, digestSize);
        // Property id, a reserved 1 and the length, each four bytes little-endian.
        unsigned char header[12] = {32, 0, 0, 0, 1, 0, 0, 0};
        for (int i = 0; i < 4; ++i) header[8 + i] = static_cast<unsigned char>(size >> (8 * i));
        stored.blobHex = hex(header, sizeof header) + hex(der, static_cast<size_t>(size));
    }
    OPENSSL_free(der);
    X509_free(certificate);
    return stored;
}

class WindowsRoundTrip : public ::testing::Test {
  protected:
    using Transport = testsupport::LocalServer::Transport;
    explicit WindowsRoundTrip(Transport transport = Transport::Plain)
        : server_{dir, {"alice", "bob"}, transport} {}

    void SetUp() override {
        ASSERT_TRUE(server_.Started());
        for (const char* name :
             {"BRELMOX_WINDOWS_BIN_DIR", "BRELMOX_WINEPREFIX", "BRELMOX_WINE_RUN"})
            ASSERT_NE(Variable(name), "")
                << name << " is not set: the Windows build's tests set it";
        // The Wine prefix is the Windows build's own; its registry holds bob's account.
        Reg({"delete", "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox", "/f"});
        std::string address = server_.Address();
        if (const std::string pem = server_.CertificatePath(); !pem.empty()) {
            // The system checks the name of the host: the certificate's is localhost.
            address = "localhost" + address.substr(address.rfind(':'));
            const StoredCertificate stored = ForCertificateStore(pem);
            ASSERT_NE(stored.thumbprint, "") << "cannot read " << pem;
            trustedKey_ = kTrustedRoots + stored.thumbprint;
            ASSERT_EQ(Reg({"add", trustedKey_, "/v", "Blob", "/t", "REG_BINARY", "/d",
                           stored.blobHex, "/f"})
                          .exitStatus,
                      0);
        }
        for (std::vector<std::string> value :
             {std::vector<std::string>{"/v", "URL", "/d", address},
              {"/v", "Virtual Directory", "/d", "scm"},
              {"/v", "Secure", "/t", "REG_BINARY", "/d", trustedKey_.empty() ? "00" : "01"}}) {
            value.insert(value.begin(), {"add", kConnectionKey});
            value.push_back("/f");
            ASSERT_EQ(Reg(value).exitStatus, 0);
        }
        ASSERT_EQ(Windows({"cfg", "-u", "bob", "-pw", "bob-secret", "-o", "Acme", "-pr", "Web"})
                      .exitStatus,
                  0);
    }

    void TearDown() override {
        Reg({"delete", "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox", "/f"});
        if (!trustedKey_.empty()) Reg({"delete", trustedKey_, "/f"});
        EXPECT_EQ(server_.Stop(), 0) << "the server did not stop cleanly";
    }

    std::vector<std::string> UnderWine(const std::string& program,
                                       const std::vector<std::string>& arguments) const {
        std::vector<std::string> command = {Variable("BRELMOX_WINE_RUN"), program};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return command;
    }
    std::string WindowsProgram() const {
        return Variable("BRELMOX_WINDOWS_BIN_DIR") + "/brelmox.exe";
    }

    testsupport::RunResult Reg(const std::vector<std::string>& arguments) const {
        return testsupport::RunProgram(UnderWine("reg.exe", arguments));
    }
    testsupport::RunResult Windows(const std::vector<std::string>& arguments) const {
        return testsupport::RunProgram(UnderWine(WindowsProgram(), arguments), {}, "", dir.Path());
    }
    testsupport::RunResult Linux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), testsupport::BinPath("brelmox"));
        return testsupport::RunProgram(
            arguments, {{"XDG_CONFIG_HOME", server_.ConfigHome("alice")}}, "", dir.Path());
    }

    // A command of either side must succeed and say nothing on standard error: its output.
    std::string Expect(const testsupport::RunResult& run, const std::string& shown) {
        EXPECT_EQ(run.exitStatus, 0) << shown << "\n" << run.stdoutText;
        EXPECT_EQ(run.stderrText, "") << shown;
        return run.stdoutText;
    }
    std::string OnWindows(const std::vector<std::string>& arguments) {
        return Expect(Windows(arguments), "brelmox.exe " + ::testing::PrintToString(arguments));
    }
    std::string OnLinux(const std::vector<std::string>& arguments) {
        return Expect(Linux(arguments), "brelmox " + ::testing::PrintToString(arguments));
    }

    testsupport::TempDir dir;
    testsupport::LocalServer server_;
    std::string trustedKey_;  // the server's certificate among the user's trusted roots
};

class SecureWindowsRoundTrip : public WindowsRoundTrip {
  protected:
    SecureWindowsRoundTrip() : WindowsRoundTrip(Transport::Tls) {}
};

TEST_F(WindowsRoundTrip, TreeComesBackByteForByteOnTheOtherSideBothWays) {
    struct File {
        std::string name;
        std::string bytes;
    };
    std::vector<File> tree = {
        {"control.bin", ControlBytes(300000)},
        {"empty.txt", ""},
        {"text.txt", "one\r\ntwo\nthree"},
        {"\xC3\xA9t\xC3\xA9.txt", "\xC3\xA9t\xC3\xA9\n"},
        {"\xC3\xBC/\xE6\x97\xA5\xE6\x9C\xAC.bin", ControlBytes(5000).substr(17)},
    };
    for (const File& file : tree) dir.WriteFile("win/" + file.name, file.bytes);
    const std::string added =
        OnWindows({"add", "-f", WinPath(dir.Path("win")) + "\\*.*", "-t", "Tree", "-r", "-p"});
    EXPECT_NE(added.find("\xE6\x97\xA5\xE6\x9C\xAC.bin' added to 'Tree\\\xC3\xBC'.\r\n"),
              std::string::npos)
        << added;

    OnLinux({"get", "-f", "Tree", "-t", dir.Path("linux"), "-r", "-p"});
    for (const File& file : tree) {
        EXPECT_TRUE(dir.ReadFile("linux/Tree/" + file.name) == file.bytes) << file.name;
    }

    // Linux changes two files; Windows fetches the whole tree into a fresh folder.
    tree[0].bytes = ControlBytes(400000).substr(3);
    tree[3].bytes = "\r\n";
    for (const size_t changed : {0, 3}) {
        const std::string path = dir.Path("linux/Tree/" + tree[changed].name);
        OnLinux({"co", "-f", "Tree/" + tree[changed].name, "-t", fs::path(path).parent_path()});
        dir.WriteFile("linux/Tree/" + tree[changed].name, tree[changed].bytes);
        OnLinux({"ci", "-f", path, "-t", "Tree"});
    }
    OnWindows({"get", "-f", "Tree", "-t", WinPath(dir.Path("back")), "-r", "-p"});
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path("back")))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, tree.size());
    for (const File& file : tree) {
        EXPECT_TRUE(dir.ReadFile("back/Tree/" + file.name) == file.bytes) << file.name;
    }
}

TEST_F(WindowsRoundTrip, EveryCommandWorksAndARefusalGivesTheWholeCode) {
    const std::string mine = dir.WriteFile("win/a.txt", "one\r\n");
    const std::string win = WinPath(dir.Path("win")), fromLinux = dir.Path("linux");
    OnWindows({"add", "-f", WinPath(mine), "-t", "Src", "-d", "first"});
    OnWindows({"co", "-f", "Src/a.txt", "-t", win});
    EXPECT_EQ(OnWindows({"status", "-f", WinPath(mine), "-t", "Src"}),
              "checked-out     1  Src\\a.txt\r\n");
    const testsupport::RunResult refused = Linux({"co", "-f", "Src/a.txt", "-t", fromLinux});
    EXPECT_EQ(refused.stdoutText, "File 'Src/a.txt' is checked out by bob.\n");
    dir.WriteFile("win/a.txt", "two\r\n");
    OnWindows({"ci", "-f", WinPath(mine), "-t", "Src", "-d", "second"});
    OnWindows({"lbl", "-l", "R1", "-d", "after two"});
    OnLinux({"get", "-f", "Src/a.txt", "-t", fromLinux});
    EXPECT_EQ(dir.ReadFile("linux/a.txt"), "two\r\n");
    EXPECT_NE(OnWindows({"history", "-f", "Src/a.txt"}).find("second"), std::string::npos);

    OnWindows({"co", "-f", "Src/a.txt", "-t", win});
    OnWindows({"unco", "-f", "Src/a.txt"});
    OnLinux({"co", "-f", "Src/a.txt", "-t", fromLinux});
    // Through the system's shell, which sees the whole code.
    dir.WriteFile("status.bat", "@%*\r\n@echo exit code %ERRORLEVEL%\r\n");
    const testsupport::RunResult whole = testsupport::RunProgram(
        UnderWine("cmd.exe", {"/c", WinPath(dir.Path("status.bat")), WinPath(WindowsProgram()),
                              "co", "-f", "Src/a.txt", "-t", WinPath(dir.Path("refused"))}));
    EXPECT_EQ(whole.stdoutText, "File 'Src/a.txt' is checked out by alice.\r\nexit code -2008\r\n");
    EXPECT_FALSE(fs::exists(dir.Path("refused/a.txt")));

    OnWindows({"sync", "-f", "Src", "-t", WinPath(dir.Path("synced")), "-r"});
    EXPECT_EQ(dir.ReadFile("synced/a.txt"), "two\r\n");
    OnLinux({"unco", "-f", "Src/a.txt"});
    OnWindows({"rm", "-f", "Src/a.txt"});
    EXPECT_NE(Linux({"get", "-f", "Src/a.txt", "-t", fromLinux}).exitStatus, 0);
    EXPECT_EQ(OnWindows({"cp", "-n", "Mobile", "-d", "phones"}), "Created Project 'Mobile'.\r\n");
}

// WinINet with the system's certificate checks, the test's own authority trusted by the user.
TEST_F(SecureWindowsRoundTrip, FilesGoBothWaysOverTls) {
    const std::string bytes = ControlBytes(100000);
    OnWindows({"add", "-f", WinPath(dir.WriteFile("win/a.bin", bytes)), "-t", "Src"});
    OnLinux({"get", "-f", "Src/a.bin", "-t", dir.Path("linux")});
    EXPECT_TRUE(dir.ReadFile("linux/a.bin") == bytes);
    OnWindows({"get", "-f", "Src/a.bin", "-t", WinPath(dir.Path("back"))});
    EXPECT_TRUE(dir.ReadFile("back/a.bin") == bytes);

    // Without the trust, the system's checks refuse the server.
    ASSERT_EQ(Reg({"delete", trustedKey_, "/f"}).exitStatus, 0);
    trustedKey_.clear();
    const testsupport::RunResult untrusted =
        Windows({"get", "-f", "Src/a.bin", "-t", WinPath(dir.Path("untrusted"))});
    EXPECT_NE(untrusted.exitStatus, 0);
    // ERROR_INTERNET_INVALID_CA, whose text Wine lacks.
    EXPECT_TRUE(untrusted.stdoutText.starts_with("Error validating user (HttpSendRequest): "))
        << untrusted.stdoutText;
    EXPECT_FALSE(fs::exists(dir.Path("untrusted/a.bin")));
}

// Ctrl-C (which Wine makes of SIGINT) ends the program as Windows ends one on Ctrl-C; a kill
// is one that no program can clean up after. A Windows exit status reaches Linux as its low
// byte.
TEST_F(WindowsRoundTrip, AnInterruptedGetLeavesTheOldFileAndNothingElse) {
    std::mt19937_64 generator(11);
    std::string big(96 << 20, '\0');
    for (size_t i = 0; i < big.size(); i += 8) {
        const uint64_t draw = generator();
        std::memcpy(&big[i], &draw, 8);
    }
    OnLinux({"add", "-f", dir.WriteFile("linux/big.bin", big), "-t", "Src"});
    big.clear();
    const int kControlCExit = 0xC000013A & 0xff;
    for (const auto& [signal, exitStatus] :
         {std::pair{SIGINT, kControlCExit}, {SIGKILL, 128 + SIGKILL}}) {
        const std::string shown = "signal " + std::to_string(signal);
        const std::string old = dir.WriteFile("win/big.bin", "the old file\r\n");
        testsupport::BackgroundProgram get(
            UnderWine(WindowsProgram(),
                      {"get", "-f", "Src/big.bin", "-t", WinPath(dir.Path("win"))}),
            {}, dir.Path("get.log"));
        // Once the new file has begun beside the old one.
        for (int i = 0; i < 2000 && Names(dir.Path("win")).size() < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_EQ(Names(dir.Path("win")).size(), 2u) << shown << ": the download never began\n"
                                                     << dir.ReadFile("get.log");
        // Well into the download: the file is made first and marked for deletion a step later.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(static_cast<pid_t>(get.Pid()), signal);
        const std::optional<int> status = get.WaitForEnd(std::chrono::seconds(20));
        ASSERT_TRUE(status.has_value()) << shown << ": the program did not end";
        EXPECT_EQ(*status, exitStatus) << shown;
        // The Wine server closes a killed program's files a moment after its end.
        for (int i = 0; i < 500 && Names(dir.Path("win")).size() > 1; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(Names(dir.Path("win")), std::vector<std::string>{"big.bin"}) << shown;
        EXPECT_EQ(dir.ReadFile(old), "the old file\r\n") << shown;
    }
}

}  // namespace
