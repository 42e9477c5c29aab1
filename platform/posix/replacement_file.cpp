// The replacement file on POSIX calls: a file with no name where the file system has such
// files, else a fixed name in a private folder beside the target.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/file_system.h"
#include "platform/posix/nameless_file.h"

namespace platform {

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

// Where the file system has no nameless files: a private folder beside the target, removed
// with what is left in it, which only an interrupted process can leave behind. The file is
// created in it under a fixed name like any other (0666 less the umask, applied by the
// kernel) without the process-wide umask being read or set.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& folder)
        : path_(folder + (folder.back() == '/' ? "" : "/") + ".brelmox-XXXXXX") {
        made_ = mkdtemp(path_.data()) != nullptr;
        error_ = made_ ? 0 : errno;
    }
    ~ScratchFolder() {
        if (!made_) return;
        RemoveFile(File());
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

}  // namespace

struct ReplacementFile::State {
    std::string targetPath;
    UniqueFd file;
    std::unique_ptr<ScratchFolder> scratch;
};

ReplacementFile::ReplacementFile() : state_(std::make_unique<State>()) {}

ReplacementFile::~ReplacementFile() = default;

int ReplacementFile::Create(const std::string& targetPath) {
    state_->targetPath = targetPath;
    const std::string folder = FolderOf(targetPath);
    state_->file = CreateNamelessFileIn(folder);
    if (state_->file.valid()) return 0;
    if (!LacksNamelessFiles(errno)) return errno;
    state_->scratch = std::make_unique<ScratchFolder>(folder);
    if (!state_->scratch->Made()) return state_->scratch->Error();
    state_->file = UniqueFd(
        open(state_->scratch->File().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    return state_->file.valid() ? 0 : errno;
}

int ReplacementFile::Fd() const {
    return state_->file.get();
}

// A new file takes its name straight away and keeps the mode it was created with; only a
// file that replaces another goes through a name of its own and a rename.
int ReplacementFile::Commit() {
    const int fd = state_->file.get();
    const std::string& target = state_->targetPath;
    const bool named =
        state_->scratch != nullptr
            ? TakeOverMode(target, fd) &&
                  rename(state_->scratch->File().c_str(), target.c_str()) == 0
            : NameNewFile(fd, target) ||
                  (errno == EEXIST && TakeOverMode(target, fd) && NameFile(fd, target));
    return named ? 0 : errno;
}

}  // namespace platform
