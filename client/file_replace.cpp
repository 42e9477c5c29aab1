#include "client/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "client/messages.h"
#include "client/operations.h"
#include "common/result_codes.h"

namespace brelmox {

namespace {

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

int FileFailed(const char* operation, const std::string& path, int error,
               const COstrelContext& context) {
    ReportMessage(context, platform::FileErrorText(operation, path, error));
    return result::kFileError;
}

}  // namespace

// Where the file system has no nameless files: a private folder beside the target, removed
// with what is left in it, which only an interrupted process can leave behind. The file is
// created in it under a fixed name like any other (0666 less the umask, applied by the
// kernel) without the process-wide umask being read or set.
class PartialFile::ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& folder)
        : path_(folder + (folder.back() == '/' ? "" : "/") + ".brelmox-XXXXXX") {
        made_ = mkdtemp(path_.data()) != nullptr;
        error_ = made_ ? 0 : errno;
    }
    ~ScratchFolder() {
        if (!made_) return;
        platform::RemoveFile(File());
        rmdir(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool Made() const { return made_; }
    int Error() const { return error_; }
    std::string File() const { return path_ + "/unpacked"; }

  private:
    std::string path_;
    bool made_ = false;
    int error_ = 0;
};

PartialFile::PartialFile(std::string targetPath) : targetPath_(std::move(targetPath)) {}

PartialFile::~PartialFile() = default;

int PartialFile::Create(const COstrelContext& context) {
    const std::string folder = FolderOf(targetPath_);
    int error = Open(folder);
    // Folders are made only when the file cannot be: a download into folders that are
    // there asks nothing about them.
    if (error == ENOENT) {
        CreateDirectoryPath(folder);
        error = Open(folder);
    }
    return error == 0 ? result::kSuccess : FileFailed("create a file in", folder, error, context);
}

int PartialFile::Open(const std::string& folder) {
    file_ = platform::CreateNamelessFileIn(folder);
    if (file_.valid()) return 0;
    if (!LacksNamelessFiles(errno)) return errno;
    scratch_ = std::make_unique<ScratchFolder>(folder);
    if (!scratch_->Made()) return scratch_->Error();
    file_ = platform::UniqueFd(
        open(scratch_->File().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    return file_.valid() ? 0 : errno;
}

// A new file takes its name straight away and keeps the mode it was created with; only a
// file that replaces another goes through a name of its own and a rename.
int PartialFile::Commit(const COstrelContext& context) {
    const bool named = scratch_ != nullptr
                           ? TakeOverMode(targetPath_, file_.get()) &&
                                 rename(scratch_->File().c_str(), targetPath_.c_str()) == 0
                           : platform::NameNewFile(file_.get(), targetPath_) ||
                                 (errno == EEXIST && TakeOverMode(targetPath_, file_.get()) &&
                                  platform::NameFile(file_.get(), targetPath_));
    return named ? result::kSuccess : FileFailed("write", targetPath_, errno, context);
}

int CheckFolderTakesFiles(const std::string& folder, const COstrelContext& context) {
    // The probe is never committed: its nameless file or scratch folder goes with it.
    PartialFile probe(folder + "probe");
    return probe.Create(context);
}

}  // namespace brelmox
