// What every download does with a file record before it uses the archive: the refusal, the
// fields and their size, and the archive unpacked as it arrives.
#pragma once

#include <cstdint>
#include <string>

#include "client/answer_records.h"
#include "client/context.h"
#include "client/notifier.h"
#include "common/entry_inflater.h"

namespace brelmox {

struct FileFields {
    std::string name;
    std::string version;
    std::string size;
    std::string viewPath;
};

// Reads the record's status and file fields: 0 when a file's content follows, with *file and
// *size filled. Otherwise the rest of the record is passed over and the result is the
// refusal's status, handed to the notifier as *refusal (its status and error set, the rest
// as the caller filled it), or -1003 after the message about an unusable size.
int ReadFileRecordHead(AnswerRecords& records, const std::string& fields, bool hasContent,
                       FileOutcome* refusal, FileFields* file, uint64_t* size,
                       COstrelContext& context);

// Unpacks the record's archive (its size bytes) into sink as it arrives and passes over
// the rest of the record: 0 once the entry unpacked whole and agrees with the archive's
// records. Otherwise -2027 after "Error decompressing '%s' to '%s'." filled with
// archiveName and targetName, with the system's reason after it when the sink failed
// (sinkError, an errno, set by the sink), in which case the rest of the answer is abandoned;
// or the broken answer's code.
int UnpackRecordContent(AnswerRecords& records, uint64_t size, const EntrySink& sink,
                        const int& sinkError, const std::string& archiveName,
                        const std::string& targetName, const COstrelContext& context);

// Passes over the rest of a record whose content, when it has one (size bytes), was not
// used. Returns code, or the broken answer's code.
int SkipRecord(AnswerRecords& records, bool hasContent, uint64_t size, int code,
               const COstrelContext& context);

}  // namespace brelmox
