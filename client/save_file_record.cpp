#include "client/save_file_record.h"

#include <cctype>
#include <cerrno>
#include <limits>

#include "client/file_placement.h"
#include "client/file_replace.h"
#include "client/messages.h"
#include "client/operations.h"
#include "client/response.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "common/wire.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

struct FileFields {
    std::string name;
    std::string version;
    std::string size;
    std::string viewPath;
};

// A size is plain decimal digits; anything else is refused rather than allocated or guessed.
bool ParseSize(const std::string& text, uint64_t* size) {
    if (text.empty() || text.size() > 19) return false;
    *size = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        *size = *size * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// The record failed before its content was used: pass over the rest of it.
int SkipRecord(AnswerRecords& records, bool hasContent, uint64_t size, int code,
               const COstrelContext& context) {
    AnswerRecords::Next next = AnswerRecords::Next::Record;
    if (hasContent && size > 0)
        next = records.TakeContent(size, [](const char*, size_t) { return false; });
    if (next == AnswerRecords::Next::Record) next = records.SkipToRecordEnd();
    int broken = BrokenAnswerResult(next, context);
    return broken != 0 ? broken : code;
}

// Writes the content to a new temporary archive; 0 or the failure's code.
int ReceiveArchive(AnswerRecords& records, uint64_t size, const std::string& fallbackFolder,
                   std::string* archivePath, const COstrelContext& context) {
    platform::UniqueFd archive(platform::CreateUniqueTempFile(fallbackFolder, archivePath));
    if (!archive.valid()) {
        ReportMessage(context, platform::FileErrorText("create a temporary file in",
                                                       platform::TempFolder(), errno));
        return SkipRecord(records, true, size, result::kFileError, context);
    }
    int writeError = 0;
    AnswerRecords::Next next = records.TakeContent(size, [&](const char* data, size_t length) {
        if (platform::WriteAll(archive.get(), data, length)) return true;
        writeError = errno;
        return false;
    });
    if (writeError == 0 && !archive.Close()) writeError = errno;
    if (next == AnswerRecords::Next::Record) next = records.SkipToRecordEnd();
    int code = BrokenAnswerResult(next, context);
    if (code == 0 && writeError != 0) {
        ReportMessage(context, platform::FileErrorText("write", *archivePath, writeError));
        code = result::kFileError;
    }
    if (code != 0) platform::RemoveFile(*archivePath);
    return code;
}

}  // namespace

int SaveFileRecord(AnswerRecords& records, const std::string& fields, bool hasContent,
                   const FileRequest& request, COstrelContext& context) {
    const char* data = fields.data();
    size_t position = 0;
    FileOutcome outcome;
    outcome.action = request.checkout != 0 ? FileAction::Checkout : FileAction::Get;
    outcome.status = ReadStatus(&position, data, fields.size());
    if (outcome.status != 0) {
        outcome.error = ReadError(&position, data, fields.size());
        outcome.localPath = request.localFolder;
        outcome.viewPath = request.viewPath;
        context.Notify().FileDone(outcome);
        return hasContent ? SkipRecord(records, false, 0, outcome.status, context) : outcome.status;
    }
    FileFields file;
    ParseField(&position, wire::kKeyName, &file.name, data, fields.size());
    ParseField(&position, wire::kKeyVersion, &file.version, data, fields.size());
    ParseField(&position, wire::kKeySize, &file.size, data, fields.size());
    ParseField(&position, wire::kKeyViewpath, &file.viewPath, data, fields.size());

    uint64_t size = 0;
    if (!hasContent || !ParseSize(file.size, &size)) {
        ReportMessage(context, FormatMessage(msg::kInvalidSize, file.size, file.name));
        return hasContent ? SkipRecord(records, false, 0, result::kUnexpectedField, context)
                          : result::kUnexpectedField;
    }
    FilePlacement place;
    std::string unsafe;
    if (!PlaceRecord(file.name, file.viewPath, request.viewPath, request.localFolder,
                     request.preserve, &place, &unsafe)) {
        ReportMessage(context, FormatMessage(msg::kRefusedUnsafeName, unsafe));
        return SkipRecord(records, true, size, result::kUnsafeName, context);
    }
    CreateDirectoryPath(place.targetFolder);

    std::string archivePath;
    int code = ReceiveArchive(records, size, place.targetFolder.empty() ? "." : place.targetFolder,
                              &archivePath, context);
    if (code != 0) return code;
    code = ReplaceFromArchive(place.targetPath, archivePath, context);
    // The archive has served its purpose whether it went in place or not.
    platform::RemoveFile(archivePath);
    if (code != 0) return code;
    outcome.localPath = place.targetPath;
    outcome.viewPath = place.repositoryPath;
    outcome.name = file.name;
    context.Notify().FileDone(outcome);
    return result::kSuccess;
}

}  // namespace brelmox
