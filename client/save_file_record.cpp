#include "client/save_file_record.h"

#include <cerrno>

#include "client/file_placement.h"
#include "client/file_record.h"
#include "client/file_replace.h"
#include "client/messages.h"
#include "client/operations.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

// What a check-out must give back when its file was not written. A name the unco would
// read as a pattern is left alone, as releasing it could release other files.
void NoteUnwritten(const FileRequest& request, const FilePlacement& place, const std::string& name,
                   std::vector<std::string>* unwritten) {
    if (request.checkout != 0 && name.find_first_of("*?") == std::string::npos)
        unwritten->push_back(place.repositoryPath);
}

// Writes the record's content to its place: 0, or the failure's code after its message.
int WriteRecordContent(AnswerRecords& records, uint64_t size, const std::string& name,
                       const FilePlacement& place, COstrelContext& context) {
    PartialFile unpacked(place.targetPath);
    int code = unpacked.Create(context);
    if (code != 0) return SkipRecord(records, true, size, code, context);
    int writeError = 0;
    const EntrySink write = [&](const char* data, size_t length) {
        if (platform::WriteAll(unpacked.Fd(), data, length)) return true;
        writeError = errno;
        return false;
    };
    code = UnpackRecordContent(records, size, write, writeError, name, place.targetPath, context);
    return code != 0 ? code : unpacked.Commit(context);
}

}  // namespace

int SaveFileRecord(AnswerRecords& records, const std::string& fields, bool hasContent,
                   const FileRequest& request, COstrelContext& context,
                   std::vector<std::string>* unwritten) {
    FileOutcome outcome;
    outcome.action = request.checkout != 0 ? FileAction::Checkout : FileAction::Get;
    outcome.localPath = request.localFolder;
    outcome.viewPath = request.viewPath;
    FileFields file;
    uint64_t size = 0;
    int code = ReadFileRecordHead(records, fields, hasContent, &outcome, &file, &size, context);
    if (code != 0) return code;

    FilePlacement place;
    std::string unsafe;
    if (!PlaceRecord(file.name, file.viewPath, request.viewPath, request.localFolder,
                     request.preserve, &place, &unsafe)) {
        ReportMessage(context, FormatMessage(msg::kRefusedUnsafeName, unsafe));
        return SkipRecord(records, true, size, result::kUnsafeName, context);
    }

    code = WriteRecordContent(records, size, file.name, place, context);
    if (code != 0) {
        NoteUnwritten(request, place, file.name, unwritten);
        return code;
    }
    outcome.localPath = place.targetPath;
    outcome.viewPath = place.repositoryPath;
    outcome.name = file.name;
    context.Notify().FileDone(outcome);
    return result::kSuccess;
}

}  // namespace brelmox
