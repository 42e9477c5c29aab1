#include "client/messages.h"
#include "client/operations.h"
#include "client/short_answer.h"
#include "common/result_codes.h"

namespace brelmox {

// A label request carries the password, so it goes where every request goes (over TLS when
// the connection is secure); it is sent in a single attempt.
int CreateLabel(COstrelContext& context, const std::string& label, const std::string& description) {
    ServerCall call(context, "create_label_cli.php");
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
