#include "client/messages.h"
#include "client/operations.h"
#include "client/short_answer.h"
#include "common/result_codes.h"

namespace brelmox {

// Labels go over plain HTTP with a single attempt, whatever the connection settings say.
int CreateLabel(COstrelContext& context, const std::string& label, const std::string& description) {
    ServerCall call(context, "create_label_cli.php", ServerCall::Connection::PlainHttp);
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddField("label", label);
    body.AddField("description", description);

    // A failed send is still followed by the read, which then fails in its turn.
    int result = call.SendOnce(body);
    if (result == result::kHttpError) return result;
    int exchange = ReadShortAnswer(call, kShortAnswerPiece, ShowRefusal(context, &result, [&] {
                                       context.Notify().LabelAttached(label, context.m_strProject);
                                   }));
    return exchange != 0 ? exchange : result;
}

}  // namespace brelmox
