#include "client/file_replace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "client/messages.h"
#include "common/format.h"
#include "common/my_compress.h"
#include "common/result_codes.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

// A private folder beside the target, removed with what is left in it. The entry is
// unpacked into it under a fixed name, so the file is created like any other (0666 less
// the umask, applied by the kernel) without the process-wide umask being read or set.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& folder)
        : path_(folder + (folder.back() == '/' ? "" : "/") + ".brelmox-XXXXXX") {
        made_ = mkdtemp(path_.data()) != nullptr;
    }
    ~ScratchFolder() {
        if (!made_) return;
        platform::RemoveFile(File());
        rmdir(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool Made() const { return made_; }
    std::string File() const { return path_ + "/unpacked"; }

  private:
    std::string path_;
    bool made_ = false;
};

// A file replacing an existing one keeps its permissions, made writable by its owner
// as a read-only file is overwritten; a new file keeps the mode it was created with.
bool TakeOverMode(const std::string& targetPath, const std::string& replacement) {
    struct stat existing {};
    if (stat(targetPath.c_str(), &existing) != 0) return true;
    return chmod(replacement.c_str(), (existing.st_mode & 07777) | S_IWUSR) == 0;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

int ReplaceFromArchive(const std::string& targetPath, const std::string& archivePath,
                       const COstrelContext& context) {
    const std::string folder = FolderOf(targetPath);
    ScratchFolder scratch(folder);
    if (!scratch.Made()) {
        ReportMessage(context, platform::FileErrorText("create a file in", folder, errno));
        return result::kFileError;
    }
    const std::string unpacked = scratch.File();
    if (!MyCompress().DecompressFile(unpacked, archivePath)) {
        ReportMessage(context, FormatMessage(msg::kErrDecompressing, archivePath, targetPath));
        return result::kUnpackFailed;
    }
    if (!TakeOverMode(targetPath, unpacked) || rename(unpacked.c_str(), targetPath.c_str()) != 0) {
        ReportMessage(context, platform::FileErrorText("write", targetPath, errno));
        return result::kFileError;
    }
    return result::kSuccess;
}

}  // namespace brelmox
