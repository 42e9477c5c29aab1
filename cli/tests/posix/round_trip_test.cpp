// Round trips through the brelmox program against a real brelmox-server: two users, each
// with a configuration folder of their own, working on one project.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tests/posix/round_trip_fixture.h"

namespace {

namespace fs = std::filesystem;

// Server statuses as the shell sees them (the result modulo 256).
constexpr int kAlreadyExists = -2007 & 0xff;
constexpr int kCheckedOutByOther = -2008 & 0xff;
constexpr int kNoSuchVersion = -2013 & 0xff;

// Bytes that no compressor shrinks, the same in every run.
std::string RandomBytes(size_t count, unsigned seed) {
    std::mt19937_64 generator(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

TEST_F(RoundTrip, TreeAddedWithItsSubFoldersComesBackByteForByte) {
    // In the order both commands walk it: files before sub-folders, names in byte order.
    const std::vector<std::pair<std::string, std::string>> tree = {
        {".hidden", "a dot file\n"},
        {"top.txt", "text\r\nwith line ends of both kinds\n"},
        {"a/one.bin", RandomBytes(70 * 1024, 1)},
        {"a/b/empty", ""},
        {"a/b/two.bin", RandomBytes(1024 * 1024 + 3, 2)},
        {"c/three.bin", RandomBytes(3000, 3)},
    };
    const std::string src = dir.Path("src"), fresh = dir.Path("fresh");
    std::string added, saved;
    for (const auto& [name, bytes] : tree) {
        const std::string path = dir.WriteFile("src/" + name, bytes);
        std::string folder = fs::path("Src/" + name).parent_path();
        std::replace(folder.begin(), folder.end(), '/', '\\');
        added += "File '" + path + "' added to '" + folder + "'.\n";
        saved += "File 'Src/" + name + "' saved in '" + fresh + "/Src/" + name + "'.\n";
    }
    Expect("alice", {"add", "-f", src + "/*", "-t", "Src", "-r", "-p", "-d", "import"}, 0, added);
    Expect("bob", {"get", "-f", "Src", "-t", fresh, "-r", "-p"}, 0, saved);
    for (const auto& [name, bytes] : tree)
        EXPECT_TRUE(dir.ReadFile(fresh + "/Src/" + name) == bytes) << name << " differs";
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fresh))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, tree.size()) << "nothing more, nothing less";
}

TEST_F(RoundTrip, CheckOutHoldsAFileForOneUserUntilCheckedIn) {
    const std::string mine = AddFile("x.txt", "first\n"), theirs = dir.Path("bob");
    Expect("alice", {"co", "-f", "Src/x.txt", "-t", dir.Path("work")}, 0,
           "File 'Src/x.txt' checked out to '" + mine + "'.\n");
    Expect("bob", {"co", "-f", "Src/x.txt", "-t", theirs}, kCheckedOutByOther,
           "File 'Src/x.txt' is checked out by alice.\n");
    EXPECT_FALSE(fs::exists(theirs + "/x.txt")) << "a refused check-out wrote the file";
    // Unchanged: no new version, yet a success, and the check-out is released.
    Expect("alice", {"ci", "-f", mine, "-t", "Src"}, 0,
           "File 'Src/x.txt' is unchanged: no new version was made and the check-out was "
           "released.\n");
    Expect("bob", {"co", "-f", "Src/x.txt", "-t", theirs}, 0,
           "File 'Src/x.txt' checked out to '" + theirs + "/x.txt'.\n");
    EXPECT_EQ(dir.ReadFile(theirs + "/x.txt"), "first\n");

    // The refusal comes first and the success after it: the walk still fails.
    const std::string added = dir.WriteFile("work/y.txt", "y\n");
    Expect("alice", {"add", "-f", dir.Path("work/*.txt"), "-t", "Src"}, kAlreadyExists,
           "File 'Src/x.txt' already exists in the repository.\nFile '" + added +
               "' added to 'Src'.\n");
}

// A check-out the user never received must not hold the file: a folder that takes no file
// (a file in its place, which stops root too) is found before anything is asked, and a
// file that cannot be written after all (a folder in its place) is released.
TEST_F(RoundTrip, CheckOutThatCannotBeWrittenLeavesTheFileFree) {
    AddFile("x.txt", "first\n");
    const std::string blocked = dir.WriteFile("blocked", "a file, not a folder");
    Expect("alice", {"co", "-f", "Src/x.txt", "-t", blocked}, 23,
           "Cannot create a file in '" + blocked + "/': Not a directory\n");
    const std::string taken = dir.Path("taken");
    fs::create_directories(taken + "/x.txt");
    Expect("alice", {"co", "-f", "Src/x.txt", "-t", taken}, 23,
           "Cannot write '" + taken +
               "/x.txt': Is a directory\nFile 'x.txt' unchecked out from 'Src'.\n");
    Expect("bob", {"co", "-f", "Src/x.txt", "-t", dir.Path("bob")}, 0,
           "File 'Src/x.txt' checked out to '" + dir.Path("bob") + "/x.txt'.\n");
}

TEST_F(RoundTrip, LabelsAndVersionNumbersSelectWhatIsFetched) {
    const std::string file = AddFile("f.txt", "version one\n");
    const std::string labelled = "Label 'L1' attached to checked in files in Project 'Web'.\n";
    Expect("alice", {"lbl", "-l", "L1", "-d", "first"}, 0, labelled);
    Expect("alice", {"co", "-f", "Src/f.txt", "-t", dir.Path("work")}, 0,
           "File 'Src/f.txt' checked out to '" + file + "'.\n");
    dir.WriteFile("work/f.txt", "version two\n");
    Expect("alice", {"ci", "-f", file, "-t", "Src", "-d", "second"}, 0,
           "File '" + file + "' checked in to 'Src'.\n");
    AddFile("g.txt", "later\n");

    const std::string f = "File 'Src/f.txt' saved in 'out/f.txt'.\n";
    const std::string g = "File 'Src/g.txt' saved in 'out/g.txt'.\n";
    const std::string noLabel = "File 'Src/g.txt' has no version labelled 'L1'.\n";
    const std::string noVersion = "File 'Src/f.txt' has no version 3.\n";
    // The arguments but "-t out", the exit status, the output, and out/f.txt afterwards.
    const std::tuple<std::vector<std::string>, int, std::string, const char*> cases[] = {
        {{"get", "-f", "Src/f.txt", "-l", "L1"}, 0, f, "version one\n"},
        {{"get", "-f", "Src/f.txt", "-v", "2"}, 0, f, "version two\n"},
        {{"sync", "-f", "Src/f.txt", "-v", "1"}, 0, f, "version one\n"},
        {{"sync", "-f", "/Src/f.txt/"}, 0, f, "version two\n"},
        {{"get", "-f", "Src/f.txt", "-v", "3"}, kNoSuchVersion, noVersion, "version two\n"},
        // A recursive get goes on past a file without the label, and fails.
        {{"get", "-f", "Src", "-r", "-l", "L1"}, kNoSuchVersion, f + noLabel, "version one\n"},
        {{"lbl", "-l", "L1"}, 0, labelled, "version one\n"},
        {{"get", "-f", "Src", "-r", "-l", "L1"}, 0, f + g, "version two\n"},
    };
    for (auto [arguments, exitStatus, output, content] : cases) {
        if (arguments[0] != "lbl") arguments.insert(arguments.end(), {"-t", "out"});
        Expect("alice", arguments, exitStatus, output);
        EXPECT_EQ(dir.ReadFile("out/f.txt"), content) << ::testing::PrintToString(arguments);
    }
}

TEST_F(RoundTrip, FetchingOverwritesReadOnlyLocalFiles) {
    AddFile("f.txt", "from the repository\n");
    const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
        {{"get", "-f", "Src/f.txt", "-t", "plain"}, "plain/f.txt", "saved in"},
        {{"co", "-f", "Src", "-t", "tree", "-r", "-p"}, "tree/Src/f.txt", "checked out to"},
    };
    for (const auto& [arguments, local, verb] : cases) {
        ASSERT_EQ(chmod(dir.WriteFile(local, "local, read-only\n").c_str(), 0444), 0);
        Expect("alice", arguments, 0, "File 'Src/f.txt' " + verb + " '" + local + "'.\n");
        EXPECT_EQ(dir.ReadFile(local), "from the repository\n") << local;
        struct stat status {};
        ASSERT_EQ(stat(dir.Path(local).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0644u) << local << ": read-only, made writable";
    }
}

}  // namespace
