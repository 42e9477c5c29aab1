// One file record of a download answer: its archive is written to a temporary file as
// it arrives and, once the record's end line is in, unpacked to its place.
#pragma once

#include <string>
#include <vector>

#include "client/answer_records.h"
#include "client/context.h"

namespace brelmox {

struct FileRequest {
    std::string viewPath;
    std::string localFolder;
    int preserve = 0;
    int checkout = 0;
};

// fields: the record's fields as AnswerRecords gave them. Returns 0, the record's
// server status, or the code of the failure (its message shown). In a check-out, a file
// that was placed but could not be written has its repository path added to *unwritten:
// the server has checked it out all the same.
int SaveFileRecord(AnswerRecords& records, const std::string& fields, bool hasContent,
                   const FileRequest& request, COstrelContext& context,
                   std::vector<std::string>* unwritten);

}  // namespace brelmox
