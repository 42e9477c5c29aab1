#include "client/file_record.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "client/messages.h"
#include "client/response.h"
#include "common/archive_stream.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "common/wire.h"

namespace brelmox {

namespace {

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

}  // namespace

int SkipRecord(AnswerRecords& records, bool hasContent, uint64_t size, int code,
               const COstrelContext& context) {
    AnswerRecords::Next next = AnswerRecords::Next::Record;
    if (hasContent && size > 0)
        next = records.TakeContent(size, [](const char*, size_t) { return false; });
    if (next == AnswerRecords::Next::Record) next = records.SkipToRecordEnd();
    int broken = BrokenAnswerResult(next, context);
    return broken != 0 ? broken : code;
}

int ReadFileRecordHead(AnswerRecords& records, const std::string& fields, bool hasContent,
                       FileOutcome* refusal, FileFields* file, uint64_t* size,
                       COstrelContext& context) {
    const char* data = fields.data();
    size_t position = 0;
    const int status = ReadStatus(&position, data, fields.size());
    if (status != 0) {
        refusal->status = status;
        refusal->error = ReadError(&position, data, fields.size());
        context.Notify().FileDone(*refusal);
        return hasContent ? SkipRecord(records, false, 0, status, context) : status;
    }
    ParseField(&position, wire::kKeyName, &file->name, data, fields.size());
    ParseField(&position, wire::kKeyVersion, &file->version, data, fields.size());
    ParseField(&position, wire::kKeySize, &file->size, data, fields.size());
    ParseField(&position, wire::kKeyViewpath, &file->viewPath, data, fields.size());
    if (hasContent && ParseSize(file->size, size)) return result::kSuccess;
    ReportMessage(context, FormatMessage(msg::kInvalidSize, file->size, file->name));
    return hasContent ? SkipRecord(records, false, 0, result::kUnexpectedField, context)
                      : result::kUnexpectedField;
}

int UnpackRecordContent(AnswerRecords& records, uint64_t size, const EntrySink& sink,
                        const int& sinkError, const std::string& archiveName,
                        const std::string& targetName, const COstrelContext& context) {
    ArchiveStream stream(sink, &records.Inflater());
    AnswerRecords::Next next = records.TakeContent(size, [&](const char* data, size_t length) {
        if (stream.Take(data, length)) return true;
        // A local failure (a full disk) makes the rest of the answer useless.
        if (sinkError != 0) records.Abandon();
        return false;
    });
    if (next == AnswerRecords::Next::Record) next = records.SkipToRecordEnd();
    if (sinkError == 0) {
        const int broken = BrokenAnswerResult(next, context);
        if (broken != 0) return broken;
        if (stream.Finish()) return result::kSuccess;
    }
    // The system's reason follows the message when a write failed, so that the user learns
    // the cause and not only the symptom.
    std::string text = FormatMessage(msg::kErrDecompressing, archiveName, targetName);
    if (sinkError > 0) text += std::string(" ") + std::strerror(sinkError);
    ReportMessage(context, text);
    return result::kUnpackFailed;
}

}  // namespace brelmox
