// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <string>

namespace testsupport {

class TempDir {
  public:
    // A new folder in $TMPDIR, or /tmp when that is unset. Throws std::runtime_error when it
    // cannot be made.
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string Path(const std::string& relPath) const { return path_ + "/" + relPath; }

    // Writes bytes to relPath inside the folder, creating the folders on the way; returns
    // the full path. Records a test failure when the file cannot be written.
    std::string WriteFile(const std::string& relPath, const std::string& bytes) const;
    // A zip archive of content, made by the client's own packer in this folder.
    std::string ArchiveOf(const std::string& content) const;

    // The whole content of a file: an absolute path, or one relative to the folder. Records
    // a test failure and gives "" when it cannot be read (check for absence with
    // std::filesystem::exists instead).
    std::string ReadFile(const std::string& path) const;

  private:
    std::string path_;
};

}  // namespace testsupport
