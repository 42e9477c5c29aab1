#include "client/messages.h"
#include "client/operations.h"
#include "client/repository_action.h"

namespace brelmox {

int RemoveFiles(COstrelContext& context, const std::string& viewPath, int recurse) {
    static const RepositoryAction kRemove = {"remove_files_from_cli.php", msg::kErrRemovingFile,
                                             FileAction::Remove};
    return ActOnRepositoryFiles(context, kRemove, viewPath, recurse);
}

}  // namespace brelmox
