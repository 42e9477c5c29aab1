#include "client/file_record.h"
#include "client/get_request.h"
#include "client/operations.h"
#include "common/result_codes.h"

namespace brelmox {

namespace {

// The entry is unpacked into memory as the archive arrives; *contents changes only once it
// is whole and checked.
int SaveRecordToMemory(AnswerRecords& records, const std::string& fields, bool hasContent,
                       const std::string& viewPath, std::string* contents,
                       COstrelContext& context) {
    FileOutcome refusal;
    refusal.action = FileAction::Get;
    refusal.viewPath = viewPath;
    FileFields file;
    uint64_t size = 0;
    int code = ReadFileRecordHead(records, fields, hasContent, &refusal, &file, &size, context);
    if (code != 0) return code;
    std::string unpacked;
    const int noSinkError = 0;
    code = UnpackRecordContent(
        records, size,
        [&](const char* data, size_t length) {
            unpacked.append(data, length);
            return true;
        },
        noSinkError, file.name, viewPath, context);
    if (code == 0) *contents = std::move(unpacked);
    return code;
}

}  // namespace

int FetchFileToMemory(COstrelContext& context, const std::string& viewPath,
                      const std::string& description, const std::string& label,
                      const std::string& version, std::string* contents) {
    const GetSelection selection{viewPath, 0, 0, description, label, version};
    return RequestFiles(context, selection,
                        [&](AnswerRecords& records, const std::string& fields, bool hasContent) {
                            return SaveRecordToMemory(records, fields, hasContent, viewPath,
                                                      contents, context);
                        });
}

}  // namespace brelmox
