#include "client/file_record.h"
#include "client/get_request.h"
#include "client/messages.h"
#include "client/operations.h"
#include "common/format.h"
#include "common/my_compress.h"
#include "common/result_codes.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

// The archive travels through a nameless temporary file, since it is unpacked from a file.
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
    platform::UniqueFd archive;
    code = ReceiveArchive(records, size, "", &archive, context);
    if (code != 0) return code;
    const std::string archivePath = platform::DescriptorPath(archive.get());
    if (MyCompress().DecompressToMemory(contents, archivePath)) return result::kSuccess;
    ReportMessage(context, FormatMessage(msg::kErrDecompressing, archivePath, viewPath));
    return result::kUnpackFailed;
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
