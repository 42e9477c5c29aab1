#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "client/messages.h"
#include "client/multipart.h"
#include "client/operations.h"
#include "client/response.h"
#include "client/short_answer.h"
#include "common/format.h"
#include "common/my_compress.h"
#include "common/result_codes.h"
#include "common/wire.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

// The upload's answer is read in pieces of at most this many bytes.
constexpr size_t kUploadAnswerPiece = 1023;

// The zip library packs larger files but cannot unpack them again, so they are refused
// before anything is sent rather than stored in a form nobody can read back.
constexpr uint64_t kLargestSendable = 0xFFFFFFFFull;

// The path travels inside a quoted header line: a quote or a line break would end it early.
bool IsSendableName(const std::string& path) {
    return path.find_first_of("\"\r\n") == std::string::npos;
}

// A named pipe, socket or device has no content to send, and reading a pipe would wait for
// a writer that may never come.
bool IsSpecialFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

int FileError(const char* operation, const std::string& path, int error,
              const COstrelContext& context) {
    ReportMessage(context, platform::FileErrorText(operation, path, error));
    return result::kFileError;
}

// Packs the file into a temporary archive and opens it for sending. The archive's name
// is removed at once: the open descriptor keeps its bytes until the send is over.
int PackForSending(const std::string& localPath, platform::UniqueFd* archive, uint64_t* length,
                   const COstrelContext& context) {
    struct stat source {};
    if (stat(localPath.c_str(), &source) != 0) return FileError("open", localPath, errno, context);
    if (static_cast<uint64_t>(source.st_size) >= kLargestSendable) {
        ReportMessage(context, FormatMessage(msg::kFileTooLarge, localPath));
        return result::kFileError;
    }
    std::string archivePath;
    platform::UniqueFd created(
        platform::CreateUniqueTempFile(platform::SplitPath(localPath).dir, &archivePath));
    if (!created.valid()) {
        return FileError("create a temporary file in", platform::TempFolder(), errno, context);
    }
    errno = 0;
    if (!MyCompress().CompressFile(localPath, archivePath)) {
        int error = errno != 0 ? errno : EIO;
        platform::RemoveFile(archivePath);
        return FileError("pack", localPath, error, context);
    }
    *archive = platform::UniqueFd(open(archivePath.c_str(), O_RDONLY | O_CLOEXEC));
    int error = errno;
    platform::RemoveFile(archivePath);
    struct stat packed {};
    if (!archive->valid() || fstat(archive->get(), &packed) != 0) {
        return FileError("open", archivePath, error, context);
    }
    *length = static_cast<uint64_t>(packed.st_size);
    return result::kSuccess;
}

}  // namespace

int AddFile(COstrelContext& context, int checkin, const std::string& localPath,
            const std::string& viewPath, const std::string& description) {
    if (IsSpecialFile(localPath)) {
        ReportMessage(context, FormatMessage(msg::kNotRegularFile, localPath));
        return result::kSuccess;
    }
    if (!IsSendableName(localPath)) {
        ReportMessage(context, FormatMessage(msg::kUnsendableName, localPath));
        return result::kFileError;
    }
    ServerCall call(context, "add_files_from_cli.php");
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddField("viewpath", viewPath);
    body.AddYesNoField("checkin", checkin);
    body.AddField("description", description);

    platform::UniqueFd archive;
    uint64_t length = 0;
    int result = PackForSending(localPath, &archive, &length, context);
    if (result != 0) return result;
    body.AttachFile(localPath, archive.get(), length);
    result = call.Send(body, msg::kErrAddingFile);
    if (result != 0) return result;

    int exchange = ReadShortAnswer(call, kUploadAnswerPiece, [&](const char* piece, size_t size) {
        FileOutcome outcome;
        outcome.action = checkin != 0 ? FileAction::Checkin : FileAction::Add;
        outcome.localPath = localPath;
        outcome.viewPath = viewPath;
        size_t position = 0;
        outcome.status = ReadStatus(&position, piece, size);
        if (outcome.status != 0) {
            outcome.error = ReadError(&position, piece, size);
            context.Notify().FileDone(outcome);
            // An unchanged file is reported but counts as success.
            result = outcome.status == status::kUnchanged ? 0 : outcome.status;
            return true;
        }
        ParseField(&position, wire::kKeyName, &outcome.name, piece, size);
        ParseField(&position, wire::kKeyViewpath, &outcome.viewPath, piece, size);
        context.Notify().FileDone(outcome);
        return false;
    });
    return exchange != 0 ? exchange : result;
}

}  // namespace brelmox
