#include "client/get_request.h"

#include "client/messages.h"
#include "client/short_answer.h"
#include "common/result_codes.h"

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

}  // namespace

int RequestFiles(COstrelContext& context, const GetSelection& selection, const RecordSaver& save) {
    ServerCall call(context, "get_files_from_cli.php");
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body = GetFilesBody(context, selection);
    int result = call.Send(body, msg::kErrGettingFile);
    if (result != 0) return result;

    AnswerRecords records(call, true);
    int broken = ForEachRecord(records, context, [&](const std::string& fields, bool hasContent) {
        result = save(records, fields, hasContent);
        return GoesOnAfter(result, selection.recurse);
    });
    return broken != 0 ? broken : result;
}

}  // namespace brelmox
