#include "client/messages.h"
#include "client/operations.h"
#include "client/repository_action.h"

namespace brelmox {

int UncheckoutFiles(COstrelContext& context, const std::string& viewPath, int recurse) {
    static const RepositoryAction kUncheckout = {"uncheckout_from_cli.php",
                                                 msg::kErrUndoingCheckout, FileAction::Uncheckout};
    return ActOnRepositoryFiles(context, kUncheckout, viewPath, recurse);
}

}  // namespace brelmox
