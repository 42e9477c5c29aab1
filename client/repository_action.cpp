#include "client/repository_action.h"

#include "client/answer_records.h"
#include "client/response.h"
#include "client/short_answer.h"
#include "common/wire.h"

namespace brelmox {

namespace {

// The record's outcome; a refused record names the request's view path.
int ReportRecord(const COstrelContext& context, const RepositoryAction& action,
                 const std::string& viewPath, const std::string& fields) {
    FileOutcome outcome;
    outcome.action = action.action;
    size_t position = 0;
    outcome.status = ReadStatus(&position, fields.data(), fields.size());
    if (outcome.status != 0) {
        outcome.error = ReadError(&position, fields.data(), fields.size());
        outcome.viewPath = viewPath;
    } else {
        ParseField(&position, wire::kKeyName, &outcome.name, fields.data(), fields.size());
        ParseField(&position, wire::kKeyViewpath, &outcome.viewPath, fields.data(), fields.size());
    }
    context.Notify().FileDone(outcome);
    return outcome.status;
}

}  // namespace

int ActOnRepositoryFiles(COstrelContext& context, const RepositoryAction& action,
                         const std::string& viewPath, int recurse) {
    ServerCall call(context, action.script);
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddYesNoField("recurse", recurse);
    body.AddField("viewpath", viewPath);
    int result = call.Send(body, action.sendFailure);
    if (result != 0) return result;

    AnswerRecords records(call, false);
    int broken = ForEachRecord(records, context, [&](const std::string& fields, bool) {
        int status = ReportRecord(context, action, viewPath, fields);
        if (status != 0) result = status;
        return true;
    });
    return broken != 0 ? broken : result;
}

}  // namespace brelmox
