#include "test_support/temp_dir.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <gtest/gtest.h>

namespace testsupport {
namespace {

namespace fs = std::filesystem;

std::string MakeUniqueFolder(const std::string& parent) {
    std::string pattern = parent + "/brelmox-test-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

// A test may leave a folder without write or search rights (read-only cases); giving them
// back first lets the removal reach everything.
void GiveOwnerRightsToFolders(const fs::path& root) {
    std::error_code error;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
    fs::recursive_directory_iterator entry(root, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        if (!entry->is_symlink(error) && entry->is_directory(error)) {
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
}

}  // namespace

TempDir::TempDir() {
    const char* tmpdir = getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0') path_ = MakeUniqueFolder(tmpdir);
    if (path_.empty()) path_ = MakeUniqueFolder("/tmp");
    if (path_.empty()) {
        throw std::runtime_error(std::string("cannot create a temporary folder: ") +
                                 std::strerror(errno));
    }
}

TempDir::~TempDir() {
    GiveOwnerRightsToFolders(path_);
    std::error_code error;
    fs::remove_all(path_, error);
}

std::string TempDir::WriteFile(const std::string& relPath, const std::string& bytes) const {
    std::string fullPath = Path(relPath);
    std::error_code error;
    fs::create_directories(fs::path(fullPath).parent_path(), error);
    std::ofstream file(fullPath, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) ADD_FAILURE() << "cannot write '" << fullPath << "'";
    return fullPath;
}

std::string TempDir::ReadFile(const std::string& path) const {
    std::string fullPath = !path.empty() && path[0] == '/' ? path : Path(path);
    std::ifstream file(fullPath, std::ios::binary);
    std::string content(std::istreambuf_iterator<char>(file), {});
    if (file.bad() || !file.is_open()) ADD_FAILURE() << "cannot read '" << fullPath << "'";
    return content;
}

}  // namespace testsupport
