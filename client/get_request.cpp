#include "client/get_request.h"

#include <cstdlib>

#include "client/messages.h"
#include "client/response.h"
#include "client/short_answer.h"
#include "common/result_codes.h"
#include "common/wire.h"

namespace brelmox {

namespace {

// Within a recursive get, a file without the asked label or version does not end it.
bool GoesOnAfter(int code, int recurse) {
    return code == 0 ||
           (recurse != 0 && (code == status::kNothingMatched || code == status::kNoSuchVersion));
}

MultipartBody GetFilesBody(const COstrelContext& context, const GetSelection& selection) {
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddYesNoField("recurse", selection.recurse);
    body.AddYesNoField("checkout", selection.checkout);
    body.AddField("viewpath", selection.viewPath);
    if (!selection.label.empty()) body.AddField("label", selection.label);
    if (!selection.version.empty()) body.AddField("version_no", selection.version);
    body.AddField("description", selection.description);
    return body;
}

// Tells the progress reports whose archive follows a record's fields. Only a byte meter reads
// this; the record itself is checked where it is saved.
void AnnounceContent(ServerCall& call, const std::string& fields) {
    size_t position = 0;
    const char* data = fields.data();
    if (ReadStatus(&position, data, fields.size()) != 0) return;
    std::string name, version, size;
    if (ParseField(&position, wire::kKeyName, &name, data, fields.size()) != 0 ||
        ParseField(&position, wire::kKeyVersion, &version, data, fields.size()) != 0 ||
        ParseField(&position, wire::kKeySize, &size, data, fields.size()) != 0 ||
        size.empty() || size.find_first_not_of("0123456789") != std::string::npos) {
        return;
    }
    call.ExpectContent(name, std::strtoull(size.c_str(), nullptr, 10));
}

}  // namespace

int RequestFiles(COstrelContext& context, const GetSelection& selection, const RecordSaver& save) {
    ServerCall call(context, "get_files_from_cli.php");
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body = GetFilesBody(context, selection);
    call.NameDownload(selection.viewPath);
    int result = call.Send(body, msg::kErrGettingFile);
    if (result != 0) return result;

    AnswerRecords records(call, true);
    int broken = ForEachRecord(records, context, [&](const std::string& fields, bool hasContent) {
        if (hasContent) AnnounceContent(call, fields);
        result = save(records, fields, hasContent);
        return GoesOnAfter(result, selection.recurse);
    });
    return broken != 0 ? broken : result;
}

}  // namespace brelmox
