#include "test_support/temp_dir.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <gtest/gtest.h>

#include "common/my_compress.h"
#include "platform/file_system.h"

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir() : path_(platform::TempFolder() + "brelmox-test-XXXXXX") {
    if (mkdtemp(path_.data()) == nullptr) {
        throw std::runtime_error("cannot create the temporary folder '" + path_ +
                                 "': " + std::strerror(errno));
    }
}

TempDir::~TempDir() {
    // A test may leave a folder without write or search rights (read-only cases); giving
    // them back first lets the removal reach everything.
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    for (fs::recursive_directory_iterator entry(path_, error), end; !error && entry != end;
         entry.increment(error)) {
        if (!entry->is_symlink(error) && entry->is_directory(error)) {
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::remove_all(path_, error);
}

std::string TempDir::WriteFile(const std::string& relPath, const std::string& bytes) const {
    const std::string fullPath = Path(relPath);
    std::error_code error;
    fs::create_directories(fs::path(fullPath).parent_path(), error);
    std::ofstream file(fullPath, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    if (!file) ADD_FAILURE() << "cannot write '" << fullPath << "'";
    return fullPath;
}

std::string TempDir::ReadFile(const std::string& path) const {
    const std::string fullPath = path.starts_with('/') ? path : Path(path);
    std::ifstream file(fullPath, std::ios::binary);
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
