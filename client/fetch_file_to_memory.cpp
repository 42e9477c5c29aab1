#include "client/file_record.h"
#include "client/get_request.h"
#include "client/operations.h"
#include "common/result_codes.h"

namespace brelmox {

namespace {

// The entry is unpacked into sink as the archive arrives.
int SaveRecordToSink(AnswerRecords& records, const std::string& fields, bool hasContent,
                     const std::string& viewPath, const EntrySink& sink, COstrelContext& context) {
    FileOutcome refusal;
    refusal.action = FileAction::Get;
    refusal.viewPath = viewPath;
    FileFields file;
    uint64_t size = 0;
    int code = ReadFileRecordHead(records, fields, hasContent, &refusal, &file, &size, context);
    if (code != 0) return code;
    const int noSinkError = 0;
    return UnpackRecordContent(records, size, sink, noSinkError, file.name, viewPath, context);
}

}  // namespace

int FetchFileToMemory(COstrelContext& context, const std::string& viewPath,
                      const std::string& description, const std::string& label,
                      const std::string& version, const EntrySink& sink) {
    const GetSelection selection{viewPath, 0, 0, description, label, version};
    return RequestFiles(context, selection,
                        [&](AnswerRecords& records, const std::string& fields, bool hasContent) {
                            return SaveRecordToSink(records, fields, hasContent, viewPath, sink,
                                                    context);
                        });
}

int FetchFileToMemory(COstrelContext& context, const std::string& viewPath,
                      const std::string& description, const std::string& label,
                      const std::string& version, std::string* contents) {
    const GetSelection selection{viewPath, 0, 0, description, label, version};
    return RequestFiles(context, selection,
                        [&](AnswerRecords& records, const std::string& fields, bool hasContent) {
                            // *contents changes only once the entry is whole and checked.
                            std::string unpacked;
                            const int code = SaveRecordToSink(
                                records, fields, hasContent, viewPath,
                                [&unpacked](const char* data, size_t length) {
                                    unpacked.append(data, length);
                                    return true;
                                },
                                context);
                            if (code == 0) *contents = std::move(unpacked);
                            return code;
                        });
}

}  // namespace brelmox
