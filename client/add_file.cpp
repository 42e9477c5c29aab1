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
#include "common/zip_bytes.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

// The upload's answer is read in pieces of at most this many bytes.
constexpr size_t kUploadAnswerPiece = 1023;

// Files up to this size are packed in memory: no temporary file is made for them.
constexpr uint64_t kLargestPackedInMemory = uint64_t{1} << 20;

// The path travels inside a quoted header line: a quote or a line break would end it early.
bool IsSendableName(const std::string& path) {
    return path.find_first_of("\"\r\n") == std::string::npos;
}

// The status query sends its paths joined by '|': a stored name holding one would split
// there and shift the states of the files after it. The server keeps what follows the
// path's last separator as the name.
bool IsStorableName(const std::string& localPath, const std::string& viewPath) {
    const size_t separator = localPath.find_last_of("/\\");
    const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    return localPath.find('|', nameStart) == std::string::npos &&
           viewPath.find('|') == std::string::npos;
}

int FileError(const char* operation, const std::string& path, int error,
              const COstrelContext& context) {
    ReportMessage(context, platform::FileErrorText(operation, path, error));
    return result::kFileError;
}

// Packs the file into memory when it is small, otherwise into a nameless temporary file
// written through the descriptor that created it, which nothing can leave behind, and
// attaches the archive to the body. progress follows the packing, which on a large file
// takes longer than the upload.
int PackForSending(const std::string& localPath, const PackProgress& progress, MultipartBody& body,
                   platform::UniqueFd* archiveFile, const COstrelContext& context) {
    uint64_t size = 0;
    if (!platform::SizeOfFile(localPath, &size))
        return FileError("open", localPath, errno, context);
    errno = 0;
    if (size <= kLargestPackedInMemory) {
        MemoryBytes archive;
        if (!MyCompress().Compress(localPath, archive, progress)) {
            return FileError("pack", localPath, errno != 0 ? errno : EIO, context);
        }
        body.AttachFile(localPath, std::move(archive.Bytes()));
        return result::kSuccess;
    }
    *archiveFile = platform::CreateNamelessTempFile(platform::SplitPath(localPath).Folder());
    if (!archiveFile->valid()) {
        return FileError("create a temporary file in", platform::TempFolder(), errno, context);
    }
    DescriptorBytes archive(archiveFile->get());
    if (!MyCompress().Compress(localPath, archive, progress)) {
        return FileError("pack", localPath, errno != 0 ? errno : EIO, context);
    }
    body.AttachFile(localPath, archiveFile->get(), archive.Size());
    return result::kSuccess;
}

}  // namespace

int AddFile(COstrelContext& context, int checkin, const std::string& localPath,
            const std::string& viewPath, const std::string& description) {
    // A named pipe, socket or device has no content to send, and reading a pipe would wait
    // for a writer that may never come.
    if (platform::IsSpecialFile(localPath)) {
        ReportMessage(context, FormatMessage(msg::kNotRegularFile, localPath));
        return result::kSuccess;
    }
    if (!IsSendableName(localPath)) {
        ReportMessage(context, FormatMessage(msg::kUnsendableName, localPath));
        return result::kFileError;
    }
    if (!IsStorableName(localPath, viewPath)) {
        ReportMessage(context, FormatMessage(msg::kBarInName, localPath));
        return result::kFileError;
    }
    ServerCall call(context, "add_files_from_cli.php");
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddField("viewpath", viewPath);
    body.AddYesNoField("checkin", checkin);
    body.AddField("description", description);

    platform::UniqueFd archiveFile;
    int result = PackForSending(
        localPath,
        [&](uint64_t done, uint64_t total) { call.ReportPacking(localPath, done, total); }, body,
        &archiveFile, context);
    if (result != 0) return result;
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
