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

// A file replacing an existing one keeps its permissions, made writable by its owner
// as a read-only file is overwritten; a new file gets the usual 0666 less the umask.
mode_t ReplacementMode(const std::string& targetPath) {
    struct stat existing {};
    if (stat(targetPath.c_str(), &existing) == 0) return (existing.st_mode & 07777) | S_IWUSR;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

int ReplaceFromArchive(const std::string& targetPath, const std::string& archivePath,
                       const COstrelContext& context) {
    std::string folder = FolderOf(targetPath);
    std::string partial = folder + (folder.back() == '/' ? "" : "/") + ".brelmox-XXXXXX";
    int fd = mkstemp(partial.data());
    if (fd < 0) {
        ReportMessage(context, platform::FileErrorText("create a file in", folder, errno));
        return result::kFileError;
    }
    close(fd);
    if (!MyCompress().DecompressFile(partial, archivePath)) {
        platform::RemoveFile(partial);
        ReportMessage(context, FormatMessage(msg::kErrDecompressing, archivePath, targetPath));
        return result::kUnpackFailed;
    }
    if (chmod(partial.c_str(), ReplacementMode(targetPath)) != 0 ||
        rename(partial.c_str(), targetPath.c_str()) != 0) {
        int error = errno;
        platform::RemoveFile(partial);
        ReportMessage(context, platform::FileErrorText("write", targetPath, error));
        return result::kFileError;
    }
    return result::kSuccess;
}

}  // namespace brelmox
