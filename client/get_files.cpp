#include "client/answer_records.h"
#include "client/messages.h"
#include "client/operations.h"
#include "client/save_file_record.h"
#include "client/short_answer.h"
#include "common/result_codes.h"

namespace brelmox {

namespace {

MultipartBody GetFilesBody(const COstrelContext& context, const std::string& viewPath, int recurse,
                           int checkout, const std::string& description, const std::string& label,
                           const std::string& version) {
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddYesNoField("recurse", recurse);
    body.AddYesNoField("checkout", checkout);
    body.AddField("viewpath", viewPath);
    if (!label.empty()) body.AddField("label", label);
    if (!version.empty()) body.AddField("version_no", version);
    body.AddField("description", description);
    return body;
}

// Within a recursive get, a file without the asked label or version does not end it.
bool GoesOnAfter(int code, int recurse) {
    return code == 0 ||
           (recurse != 0 && (code == status::kNothingMatched || code == status::kNoSuchVersion));
}

}  // namespace

int GetFiles(std::string viewPath, std::string localFolder, int recurse, int preserve, int checkout,
             std::string description, std::string label, std::string version,
             COstrelContext& context) {
    ServerCall call(context, "get_files_from_cli.php");
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body =
        GetFilesBody(context, viewPath, recurse, checkout, description, label, version);
    int result = call.Send(body, msg::kErrGettingFile);
    if (result != 0) return result;

    const FileRequest request{viewPath, localFolder, preserve, checkout};
    AnswerRecords records(call, true);
    // No record behind a failed one is saved; the rest of the answer is read all the same.
    int broken = ForEachRecord(records, context, [&](const std::string& fields, bool hasContent) {
        result = SaveFileRecord(records, fields, hasContent, request, context);
        return GoesOnAfter(result, recurse);
    });
    return broken != 0 ? broken : result;
}

}  // namespace brelmox
