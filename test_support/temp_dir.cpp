#include "test_support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include <gtest/gtest.h>

#include "common/my_compress.h"
#include "platform/file_system.h"

namespace testsupport {

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 here; a path made from a plain string would be read in the system's code
// page on Windows.
fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

// A fresh name is tried until one is free: making the folder is the test of that.
TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    constexpr int kAttempts = 100;
    std::error_code error;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        path_ = platform::TempFolder() + "brelmox-test-" + std::to_string(random() % 1000000000);
        if (fs::create_directory(PathOf(path_), error)) return;
        if (error) break;
    }
    throw std::runtime_error("cannot create the temporary folder '" + path_ +
                             "': " + (error ? error.message() : "every name is taken"));
}

TempDir::~TempDir() {
    // A test may leave a folder without write or search rights (read-only cases); giving
    // them back first lets the removal reach everything.
    std::error_code error;
    fs::permissions(PathOf(path_), fs::perms::owner_all, fs::perm_options::add, error);
    for (fs::recursive_directory_iterator entry(PathOf(path_), error), end; !error && entry != end;
         entry.increment(error)) {
        if (!entry->is_symlink(error) && entry->is_directory(error)) {
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::remove_all(PathOf(path_), error);
}

std::string TempDir::WriteFile(const std::string& relPath, const std::string& bytes) const {
    const std::string fullPath = Path(relPath);
    std::error_code error;
    fs::create_directories(PathOf(fullPath).parent_path(), error);
    std::ofstream file(PathOf(fullPath), std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    if (!file) ADD_FAILURE() << "cannot write '" << fullPath << "'";
    return fullPath;
}

std::string TempDir::ReadFile(const std::string& path) const {
    const std::string fullPath = PathOf(path).is_absolute() ? path : Path(path);
    std::ifstream file(PathOf(fullPath), std::ios::binary);
    std::string content(std::istreambuf_iterator<char>(file), {});
    if (!file.is_open() || file.bad()) ADD_FAILURE() << "cannot read '" << fullPath << "'";
    return content;
}

std::string TempDir::ArchiveOf(const std::string& content) const {
    const std::string source = WriteFile("archive-source", content);
    const std::string archive = Path("archive.zip");
    EXPECT_TRUE(brelmox::MyCompress().CompressFile(source, archive));
    return ReadFile(archive);
}

}  // namespace testsupport
