#include "client/messages.h"
#include "client/operations.h"
#include "client/short_answer.h"

namespace brelmox {

int CreateProject(COstrelContext& context, const std::string& name,
                  const std::string& description) {
    MultipartBody body;
    AddCredentialFields(body, context, false);
    body.AddField("project_name", name);
    body.AddField("project_description", description);
    int result = 0;
    int exchange = PostShortRequest(
        context, "create_project_from_cli.php", body, msg::kErrCreatingProject, kShortAnswerPiece,
        ShowRefusal(context, &result, [&] { context.Notify().ProjectCreated(name); }));
    return exchange != 0 ? exchange : result;
}

}  // namespace brelmox
