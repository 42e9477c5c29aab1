#include "client/messages.h"
#include "client/operations.h"
#include "client/response.h"
#include "client/short_answer.h"

namespace brelmox {

int ValidateProject(COstrelContext& context) {
    MultipartBody body;
    body.AddField("organization", context.m_strOrganization);
    body.AddField("project", context.m_strProject);
    int result = 0;
    int exchange =
        PostShortRequest(context, "validate_project_from_cli.php", body, msg::kErrValidatingProject,
                         kShortAnswerPiece, [&](const char* piece, size_t length) {
                             // The caller decides what the user sees of a refusal.
                             size_t position = 0;
                             result = ReadStatus(&position, piece, length);
                             if (result != 0) ReadError(&position, piece, length);
                             return true;
                         });
    return exchange != 0 ? exchange : result;
}

}  // namespace brelmox
