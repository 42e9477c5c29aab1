// The get request ("get_files_from_cli.php") and the reading of its file records, shared by
// the downloads into files and into memory.
#pragma once

#include <functional>
#include <string>

#include "client/answer_records.h"
#include "client/context.h"

namespace brelmox {

struct GetSelection {
    std::string viewPath;
    int recurse = 0;
    int checkout = 0;
    std::string description;
    std::string label;    // sent only when not empty
    std::string version;  // sent only when not empty
};

// Saves one record; returns 0 or the record's code, as SaveFileRecord does.
using RecordSaver =
    std::function<int(AnswerRecords& records, const std::string& fields, bool hasContent)>;

// Sends the get request and hands each record to save until one fails, after which the rest
// of the answer is read and dropped (a recursive get goes on after a file without the asked
// label or version). Returns the last save's code, the transport's code, or the code of
// an answer that broke off.
int RequestFiles(COstrelContext& context, const GetSelection& selection, const RecordSaver& save);

}  // namespace brelmox
