#include "client/repository_action.h"

#include "client/answer_records.h"
#include "client/messages.h"
#include "client/response.h"
#include "client/short_answer.h"
#include "common/format.h"
#include "common/wire.h"

namespace brelmox {

namespace {

int ReportRecord(const COstrelContext& context, const RepositoryAction& action,
                 const std::string& fields) {
    size_t position = 0;
    int status = ReadStatus(&position, fields.data(), fields.size());
    if (status != 0) {
        ReportMessage(ReadError(&position, fields.data(), fields.size()), context.m_bConsole);
        return status;
    }
    if (context.m_bConsole == 0) return 0;
    std::string name;
    std::string viewPath;
    ParseField(&position, wire::kKeyName, &name, fields.data(), fields.size());
    ParseField(&position, wire::kKeyViewpath, &viewPath, fields.data(), fields.size());
    ReportMessage(viewPath.empty() ? FormatMessage(action.doneAtRoot, name)
                                   : FormatMessage(action.done, name, viewPath),
                  context.m_bConsole);
    return 0;
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
        int status = ReportRecord(context, action, fields);
        if (status != 0) result = status;
        return true;
    });
    return broken != 0 ? broken : result;
}

}  // namespace brelmox
