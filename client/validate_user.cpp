#include "client/messages.h"
#include "client/operations.h"
#include "client/short_answer.h"
#include "common/result_codes.h"

namespace brelmox {

int ValidateUser(COstrelContext& context) {
    MultipartBody body;
    AddCredentialFields(body, context, true);
    int result = 0;
    int exchange =
        PostShortRequest(context, "validate_user_from_cli.php", body, msg::kErrValidatingUser,
                         kShortAnswerPiece, ShowRefusal(context, &result));
    if (exchange != 0) return exchange;
    // A notice for the user: shown, and the user is still accepted.
    return result == status::kUserNotice ? 0 : result;
}

}  // namespace brelmox
