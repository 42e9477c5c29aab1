#include "client/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
bool TakeOverMode(const std::string& targetPath, int replacement) {
    struct stat existing {};
    if (stat(targetPath.c_str(), &existing) != 0) return true;
    return fchmod(replacement, (existing.st_mode & 07777) | S_IWUSR) == 0;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool LacksNamelessFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// The unpacking message, with the system's reason after it when a write failed (a full
// disk), so that the user learns the cause and not only the symptom.
int UnpackFailed(const std::string& archivePath, const std::string& targetPath, int error,
                 const COstrelContext& context) {
    std::string text = FormatMessage(msg::kErrDecompressing, archivePath, targetPath);
    if (error > 0) text += std::string(" ") + std::strerror(error);
    ReportMessage(context, text);
    return result::kUnpackFailed;
}

// Unpacks the archive's entry into fd: 0, or the errno of the failed write, or -1 when the
// archive itself failed (unreadable, or a failed CRC check).
int UnpackInto(int fd, const std::string& archivePath) {
    int writeError = 0;
    const bool unpacked = MyCompress().DecompressToSink(
        [&](const char* data, size_t size) {
            if (platform::WriteAll(fd, data, size)) return true;
            writeError = errno;
            return false;
        },
        archivePath);
    return unpacked ? 0 : (writeError != 0 ? writeError : -1);
}

int FileFailed(const char* operation, const std::string& path, int error,
               const COstrelContext& context) {
    ReportMessage(context, platform::FileErrorText(operation, path, error));
    return result::kFileError;
}

// Where the file system has no nameless files: unpacked under a name in a private folder
// beside the target, which only an interrupted process can leave behind.
int ReplaceThroughScratchFolder(const std::string& targetPath, const std::string& archivePath,
                                const COstrelContext& context) {
    const std::string folder = FolderOf(targetPath);
    ScratchFolder scratch(folder);
    if (!scratch.Made()) return FileFailed("create a file in", folder, errno, context);
    const std::string unpacked = scratch.File();
    platform::UniqueFd file(open(unpacked.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.valid()) return FileFailed("create a file in", folder, errno, context);
    const int unpackError = UnpackInto(file.get(), archivePath);
    if (unpackError != 0) return UnpackFailed(archivePath, targetPath, unpackError, context);
    if (!TakeOverMode(targetPath, file.get()) ||
        rename(unpacked.c_str(), targetPath.c_str()) != 0) {
        return FileFailed("write", targetPath, errno, context);
    }
    return result::kSuccess;
}

}  // namespace

int ReplaceFromArchive(const std::string& targetPath, const std::string& archivePath,
                       const COstrelContext& context) {
    // Unpacked into a file with no name, which vanishes if the process is stopped, and named
    // only once it is whole: the old file stays until then and nothing is left behind.
    const std::string folder = FolderOf(targetPath);
    platform::UniqueFd unpacked = platform::CreateNamelessFileIn(folder);
    if (!unpacked.valid()) {
        if (LacksNamelessFiles(errno)) {
            return ReplaceThroughScratchFolder(targetPath, archivePath, context);
        }
        return FileFailed("create a file in", folder, errno, context);
    }
    const int unpackError = UnpackInto(unpacked.get(), archivePath);
    if (unpackError != 0) return UnpackFailed(archivePath, targetPath, unpackError, context);
    if (!TakeOverMode(targetPath, unpacked.get()) ||
        !platform::NameFile(unpacked.get(), targetPath)) {
        return FileFailed("write", targetPath, errno, context);
    }
    return result::kSuccess;
}

}  // namespace brelmox
