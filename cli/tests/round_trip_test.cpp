// Round trips through the brelmox program against a real brelmox-server: two users, each
// with a configuration folder of their own, working on one project.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/background_program.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::BinPath;
using testsupport::RunResult;

// Server statuses as the shell sees them.
constexpr int ExitOf(int status) {
    return status & 0xff;
}
constexpr int kNothingMatched = -2002;
constexpr int kAlreadyExists = -2007;
constexpr int kCheckedOutByOther = -2008;
constexpr int kNotInRepository = -2009;
constexpr int kNotCheckedOut = -2010;
constexpr int kNoSuchVersion = -2013;
constexpr int kReleaseRefused = -2016;

// Bytes that no compressor shrinks, the same in every run.
std::string RandomBytes(size_t count, unsigned seed) {
    std::mt19937_64 generator(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The regular files below root, as paths relative to it, in sorted order.
std::vector<std::string> FilesBelow(const std::string& root) {
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator entry(root, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->is_regular_file()) files.push_back(fs::relative(entry->path(), root));
    }
    std::sort(files.begin(), files.end());
    return files;
}

class RoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CreateRepository());
        server_.emplace(
            std::vector<std::string>{BinPath("brelmox-server"), "serve", "--data", dir.Path("data"),
                                     "--listen", "127.0.0.1:0", "--prefix", "scm"},
            std::map<std::string, std::string>{}, dir.Path("server.log"));
        std::optional<std::string> listening = server_->WaitForLine("listening on ");
        ASSERT_TRUE(listening) << "the server did not start:\n" << dir.ReadFile("server.log");
        const std::string address = listening->substr(std::string("listening on ").size());
        ASSERT_NO_FATAL_FAILURE(Configure("alice", "alice-secret", address));
        ASSERT_NO_FATAL_FAILURE(Configure("bob", "bob-secret", address));
    }

    void TearDown() override {
        if (server_) {
            EXPECT_EQ(server_->Stop(), 0) << "the server did not stop cleanly";
        }
    }

    // An organization with two users and one project, in a fresh data folder.
    void CreateRepository() {
        const std::pair<std::vector<std::string>, const char*> commands[] = {
            {{"init"}, ""},
            {{"org", "add", "Acme"}, ""},
            {{"user", "add", "Acme", "alice"}, "alice-secret\n"},
            {{"user", "add", "Acme", "bob"}, "bob-secret\n"},
            {{"project", "add", "Acme", "Web", "--description", "round trips"}, ""},
        };
        for (auto [arguments, password] : commands) {
            arguments.insert(arguments.begin(), BinPath("brelmox-server"));
            arguments.insert(arguments.end(), {"--data", dir.Path("data")});
            RunResult run = testsupport::RunProgram(arguments, {}, password);
            ASSERT_EQ(run.exitStatus, 0)
                << arguments[1] << ": " << run.stdoutText << run.stderrText;
        }
    }

    void Configure(const std::string& user, const std::string& password,
                   const std::string& address) {
        const char* key = "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection";
        for (std::vector<std::string> value : {std::vector<std::string>{"/v", "URL", "/d", address},
                                               {"/v", "Virtual Directory", "/d", "scm"},
                                               {"/v", "Secure", "/t", "REG_BINARY", "/d", "00"}}) {
            value.insert(value.begin(), {BinPath("brelmox-reg"), "add", key});
            RunResult run = testsupport::RunProgram(value, {{"XDG_CONFIG_HOME", Config(user)}});
            ASSERT_EQ(run.exitStatus, 0) << run.stderrText;
        }
        ASSERT_EQ(Brelmox(user, {"cfg", "-u", user, "-pw", password, "-o", "Acme", "-pr", "Web"})
                      .exitStatus,
                  0);
    }

    std::string Config(const std::string& user) const { return dir.Path("config-" + user); }

    RunResult Brelmox(const std::string& user, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), BinPath("brelmox"));
        RunResult run =
            testsupport::RunProgram(arguments, {{"XDG_CONFIG_HOME", Config(user)}}, "", dir.Path());
        EXPECT_EQ(run.stderrText, "") << arguments[1] << " wrote to standard error";
        return run;
    }

    // Runs a command and checks its exit status (the result modulo 256) and its output.
    void Expect(const std::string& user, const std::vector<std::string>& arguments, int result,
                const std::string& output) {
        RunResult run = Brelmox(user, arguments);
        std::string command = user + ": brelmox";
        for (const std::string& argument : arguments) command += " '" + argument + "'";
        EXPECT_EQ(run.exitStatus, ExitOf(result)) << command << "\n" << run.stdoutText;
        EXPECT_EQ(run.stdoutText, output) << command;
    }

    // Adds one file holding content to the repository folder viewPath, from work/NAME.
    std::string AddFile(const std::string& name, const std::string& content,
                        const std::string& viewPath) {
        const std::string path = dir.WriteFile("work/" + name, content);
        Expect("alice", {"add", "-f", path, "-t", viewPath}, 0,
               "File '" + path + "' added to '" + viewPath + "'.\n");
        return path;
    }

    testsupport::TempDir dir;
    std::optional<testsupport::BackgroundProgram> server_;
};

TEST_F(RoundTrip, TreeAddedWithItsSubFoldersComesBackByteForByte) {
    const std::map<std::string, std::string> tree = {
        {".hidden", "a dot file\n"},
        {"a/b/empty", ""},
        {"a/b/two.bin", RandomBytes(1024 * 1024 + 3, 2)},
        {"a/one.bin", RandomBytes(70 * 1024, 1)},
        {"c/three.bin", RandomBytes(3000, 3)},
        {"top.txt", "text\r\nwith line ends of both kinds\n"},
    };
    for (const auto& [name, bytes] : tree) dir.WriteFile("src/" + name, bytes);

    // Files before sub-folders, names in byte order, one line per file.
    const std::string src = dir.Path("src");
    Expect("alice", {"add", "-f", src + "/*", "-t", "Src", "-r", "-p", "-d", "import"}, 0,
           "File '" + src + "/.hidden' added to 'Src'.\n" +                //
               "File '" + src + "/top.txt' added to 'Src'.\n" +            //
               "File '" + src + "/a/one.bin' added to 'Src\\a'.\n" +       //
               "File '" + src + "/a/b/empty' added to 'Src\\a\\b'.\n" +    //
               "File '" + src + "/a/b/two.bin' added to 'Src\\a\\b'.\n" +  //
               "File '" + src + "/c/three.bin' added to 'Src\\c'.\n");

    const std::string fresh = dir.Path("fresh");
    RunResult get = Brelmox("bob", {"get", "-f", "Src", "-t", fresh, "-r", "-p"});
    EXPECT_EQ(get.exitStatus, 0) << get.stdoutText;
    std::string saved;
    std::vector<std::string> names;
    for (const auto& [name, bytes] : tree) {
        saved += "File 'Src/" + name + "' saved in '" + fresh + "/Src/" + name + "'.\n";
        names.push_back(name);
        EXPECT_TRUE(dir.ReadFile(fresh + "/Src/" + name) == bytes) << name << " differs";
    }
    EXPECT_EQ(SortedLines(get.stdoutText), SortedLines(saved));
    EXPECT_EQ(FilesBelow(fresh + "/Src"), names) << "nothing more, nothing less";

    // Preserving below a requested sub-folder keeps the matched folder flat and mirrors the
    // whole repository path of anything deeper.
    const std::string part = dir.Path("part");
    RunResult partial = Brelmox("bob", {"get", "-f", "Src/a/*.bin", "-t", part, "-r", "-p"});
    EXPECT_EQ(partial.exitStatus, 0) << partial.stdoutText;
    EXPECT_EQ(FilesBelow(part), (std::vector<std::string>{"Src/a/b/two.bin", "one.bin"}));
    EXPECT_TRUE(dir.ReadFile(part + "/Src/a/b/two.bin") == tree.at("a/b/two.bin"));
    EXPECT_TRUE(dir.ReadFile(part + "/one.bin") == tree.at("a/one.bin"));
}

TEST_F(RoundTrip, CheckOutHoldsAFileForOneUserUntilReleased) {
    AddFile("x.txt", "first\n", "Src");
    const std::string mine = dir.Path("alice"), theirs = dir.Path("bob");

    Expect("alice", {"co", "-f", "Src/x.txt", "-t", mine}, 0,
           "File 'Src/x.txt' checked out to '" + mine + "/x.txt'.\n");
    Expect("bob", {"co", "-f", "Src/x.txt", "-t", theirs}, kCheckedOutByOther,
           "File 'Src/x.txt' is checked out by alice.\n");
    EXPECT_FALSE(fs::exists(theirs + "/x.txt")) << "a refused check-out wrote the file";

    Expect("alice", {"unco", "-f", "Src/x.txt"}, 0, "File 'x.txt' unchecked out from 'Src'.\n");
    Expect("bob", {"co", "-f", "Src/x.txt", "-t", theirs}, 0,
           "File 'Src/x.txt' checked out to '" + theirs + "/x.txt'.\n");
    EXPECT_EQ(dir.ReadFile(theirs + "/x.txt"), "first\n");

    // While bob holds it, alice can neither check in, release nor remove it.
    const std::string changed = dir.WriteFile("alice/x.txt", "alice's change\n");
    const std::string heldByBob = "File 'Src/x.txt' is checked out by bob.\n";
    Expect("alice", {"ci", "-f", changed, "-t", "Src"}, kCheckedOutByOther, heldByBob);
    Expect("alice", {"unco", "-f", "Src/x.txt"}, kReleaseRefused, heldByBob);
    Expect("alice", {"rm", "-f", "Src/x.txt"}, kCheckedOutByOther, heldByBob);

    const std::string check = dir.Path("check");
    Expect("alice", {"get", "-f", "Src/x.txt", "-t", check}, 0,
           "File 'Src/x.txt' saved in '" + check + "/x.txt'.\n");
    EXPECT_EQ(dir.ReadFile(check + "/x.txt"), "first\n");
}

TEST_F(RoundTrip, LabelsAndVersionNumbersSelectWhatIsFetched) {
    const std::string file = AddFile("f.txt", "version one\n", "Src");
    Expect("alice", {"lbl", "-l", "L1", "-d", "first"}, 0,
           "Label 'L1' attached to checked in files in Project 'Web'.\n");
    Expect("alice", {"co", "-f", "Src/f.txt", "-t", dir.Path("work")}, 0,
           "File 'Src/f.txt' checked out to '" + file + "'.\n");
    dir.WriteFile("work/f.txt", "version two\n");
    Expect("alice", {"ci", "-f", file, "-t", "Src", "-d", "second"}, 0,
           "File '" + file + "' checked in to 'Src'.\n");

    struct Case {
        std::vector<std::string> arguments;
        const char* content;
    };
    const Case cases[] = {
        {{"get", "-f", "Src/f.txt", "-l", "L1"}, "version one\n"},
        {{"get", "-f", "Src/f.txt", "-v", "1"}, "version one\n"},
        {{"get", "-f", "Src/f.txt", "-v", "2"}, "version two\n"},
        {{"get", "-f", "Src/f.txt"}, "version two\n"},
        {{"sync", "-f", "/Src/f.txt/"}, "version two\n"},
        {{"sync", "-f", "Src/f.txt", "-l", "L1"}, "version one\n"},
    };
    int number = 0;
    for (Case c : cases) {
        const std::string out = dir.Path("out" + std::to_string(++number));
        c.arguments.insert(c.arguments.end(), {"-t", out});
        Expect("alice", c.arguments, 0, "File 'Src/f.txt' saved in '" + out + "/f.txt'.\n");
        EXPECT_EQ(dir.ReadFile(out + "/f.txt"), c.content) << "case " << number;
    }

    const std::string out = dir.Path("missing");
    Expect("alice", {"get", "-f", "Src/f.txt", "-t", out, "-v", "3"}, kNoSuchVersion,
           "File 'Src/f.txt' has no version 3.\n");
    Expect("alice", {"get", "-f", "Src/f.txt", "-t", out, "-l", "L2"}, kNoSuchVersion,
           "File 'Src/f.txt' has no version labelled 'L2'.\n");
    EXPECT_FALSE(fs::exists(out + "/f.txt"));

    // A file added after the label lacks it: a recursive get goes on past it.
    AddFile("g.txt", "later\n", "Src");
    Expect("alice", {"get", "-f", "Src", "-t", out, "-r", "-l", "L1"}, kNoSuchVersion,
           "File 'Src/f.txt' saved in '" + out + "/f.txt'.\n" +
               "File 'Src/g.txt' has no version labelled 'L1'.\n");
    EXPECT_EQ(dir.ReadFile(out + "/f.txt"), "version one\n");

    // Labelling again moves the label to the latest versions.
    Expect("alice", {"lbl", "-l", "L1"}, 0,
           "Label 'L1' attached to checked in files in Project 'Web'.\n");
    Expect("alice", {"get", "-f", "Src", "-t", out, "-r", "-l", "L1"}, 0,
           "File 'Src/f.txt' saved in '" + out + "/f.txt'.\n" + "File 'Src/g.txt' saved in '" +
               out + "/g.txt'.\n");
    EXPECT_EQ(dir.ReadFile(out + "/f.txt"), "version two\n");
}

TEST_F(RoundTrip, FetchingOverwritesReadOnlyLocalFiles) {
    AddFile("f.txt", "from the repository\n", "Src");
    struct Case {
        std::vector<std::string> arguments;
        const char* localFile;
        const char* line;
    };
    const Case cases[] = {
        {{"get", "-f", "Src/f.txt", "-t", "plain"}, "plain/f.txt", "saved in"},
        {{"co", "-f", "Src", "-t", "tree", "-r", "-p"}, "tree/Src/f.txt", "checked out to"},
    };
    for (const Case& c : cases) {
        const std::string local = dir.WriteFile(c.localFile, "local text, read-only\n");
        ASSERT_EQ(chmod(local.c_str(), 0444), 0);
        // Relative to the folder the program runs in.
        Expect("alice", c.arguments, 0,
               "File 'Src/f.txt' " + std::string(c.line) + " '" + c.localFile + "'.\n");
        EXPECT_EQ(dir.ReadFile(local), "from the repository\n") << c.localFile;
        struct stat status {};
        ASSERT_EQ(stat(local.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0644u) << c.localFile << ": read-only, made writable";
    }
}

TEST_F(RoundTrip, UploadResultsFollowTheServersAnswers) {
    const std::string a = AddFile("a.txt", "a\n", "Src");
    const std::string added = dir.Path("work/new.txt");
    struct Case {
        const char* user;
        std::vector<std::string> arguments;
        int result;
        std::string output;
    };
    const Case cases[] = {
        {"alice",
         {"ci", "-f", a, "-t", "Src"},
         kNotCheckedOut,
         "File 'Src/a.txt' is not checked out.\n"},
        {"alice",
         {"co", "-f", "Src/a.txt", "-t", dir.Path("work")},
         0,
         "File 'Src/a.txt' checked out to '" + a + "'.\n"},
        // Unchanged: shown, counted as success, and the check-out is released.
        {"alice",
         {"ci", "-f", a, "-t", "Src"},
         0,
         "File 'Src/a.txt' is unchanged: no new version was made and the check-out was "
         "released.\n"},
        {"bob",
         {"co", "-f", "Src/a.txt", "-t", dir.Path("bob")},
         0,
         "File 'Src/a.txt' checked out to '" + dir.Path("bob/a.txt") + "'.\n"},
        {"alice",
         {"add", "-f", a, "-t", "Src"},
         kAlreadyExists,
         "File 'Src/a.txt' already exists in the repository.\n"},
        {"alice",
         {"ci", "-f", dir.WriteFile("work/new.txt", "n\n"), "-t", "Src"},
         kNotInRepository,
         "File 'Src/new.txt' is not in the repository.\n"},
        // The refusal comes first, the success after it: the walk still fails.
        {"alice",
         {"add", "-f", dir.Path("work/*.txt"), "-t", "Src"},
         kAlreadyExists,
         "File 'Src/a.txt' already exists in the repository.\nFile '" + added +
             "' added to 'Src'.\n"},
        {"alice", {"add", "-f", dir.Path("work/nothing*"), "-t", "Src"}, 0, ""},
    };
    for (const Case& c : cases) Expect(c.user, c.arguments, c.result, c.output);
}

TEST_F(RoundTrip, RemovedFilesAreGoneAndPatternsReachIntoSubFolders) {
    const std::string tree = dir.Path("tree");
    dir.WriteFile("tree/a.c", "a\n");
    dir.WriteFile("tree/b.txt", "b\n");
    dir.WriteFile("tree/sub/c.c", "c\n");
    dir.WriteFile("tree/sub/d.txt", "d\n");
    ASSERT_EQ(Brelmox("alice", {"add", "-f", tree + "/*", "-t", "Src", "-r", "-p"}).exitStatus, 0);
    ASSERT_EQ(Brelmox("alice", {"co", "-f", "Src", "-t", "co", "-r", "-p"}).exitStatus, 0);

    struct Case {
        std::vector<std::string> arguments;
        int result;
        std::string output;
    };
    const Case cases[] = {
        {{"unco", "-f", "Src/*.c", "-r"},
         0,
         "File 'a.c' unchecked out from 'Src'.\nFile 'c.c' unchecked out from 'Src\\sub'.\n"},
        {{"unco", "-f", "Src/a.c"}, kNotCheckedOut, "File 'Src/a.c' is not checked out.\n"},
        {{"unco", "-f", "Src/*.txt"}, 0, "File 'b.txt' unchecked out from 'Src'.\n"},
        {{"rm", "-f", "Src/b.txt"}, 0, "File 'b.txt' removed from 'Src'.\n"},
        {{"get", "-f", "Src/b.txt", "-t", "gone"},
         kNothingMatched,
         "No file matches 'Src/b.txt'.\n"},
        {{"rm", "-f", "Src/b.txt"}, kNothingMatched, "No file matches 'Src/b.txt'.\n"},
        {{"rm", "-f", "Src/*.c", "-r"},
         0,
         "File 'a.c' removed from 'Src'.\nFile 'c.c' removed from 'Src\\sub'.\n"},
        {{"get", "-f", "Src", "-t", "rest", "-r", "-p"},
         0,
         "File 'Src/sub/d.txt' saved in 'rest/Src/sub/d.txt'.\n"},
        {{"add", "-f", "tree/b.txt", "-t", ""}, 0, "File '" + tree + "/b.txt' added to ''.\n"},
        {{"rm", "-f", "b.txt"}, 0, "File 'b.txt' removed from root.\n"},
    };
    for (const Case& c : cases) Expect("alice", c.arguments, c.result, c.output);
    EXPECT_FALSE(fs::exists(dir.Path("gone/b.txt")));
    EXPECT_EQ(FilesBelow(dir.Path("rest")), std::vector<std::string>{"Src/sub/d.txt"});
}

}  // namespace
