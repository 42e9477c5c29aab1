#include "client/messages.h"
#include "client/operations.h"
#include "client/short_answer.h"
#include "common/format.h"

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
        ShowRefusal(context, &result, [&] {
            if (context.m_bConsole != 0) {
                ReportMessage(FormatMessage(msg::kCreatedProject, name), context.m_bConsole);
            }
        }));
    return exchange != 0 ? exchange : result;
}

}  // namespace brelmox
