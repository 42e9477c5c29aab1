// What every download does with a file record before it uses the archive: the refusal, the
// fields and their size, and the archive received into a temporary file as it arrives.
#pragma once

#include <cstdint>
#include <string>

#include "client/answer_records.h"
#include "client/context.h"
#include "client/notifier.h"
#include "platform/file_system.h"

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

// Writes the size bytes of content to a new nameless temporary file (in $TMPDIR, else in
// fallbackFolder, else in /tmp), which nothing can leave behind, and passes over the rest of
// the record. 0 with the file in *archive (platform::DescriptorPath opens it by path);
// otherwise the failure's code with its message shown. A failed write abandons the answer.
int ReceiveArchive(AnswerRecords& records, uint64_t size, const std::string& fallbackFolder,
                   platform::UniqueFd* archive, const COstrelContext& context);

// Passes over the rest of a record whose content, when it has one (size bytes), was not
// used. Returns code, or the broken answer's code.
int SkipRecord(AnswerRecords& records, bool hasContent, uint64_t size, int code,
               const COstrelContext& context);

}  // namespace brelmox
