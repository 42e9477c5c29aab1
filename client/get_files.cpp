#include "client/file_placement.h"
#include "client/file_replace.h"
#include "client/get_request.h"
#include "client/operations.h"
#include "client/save_file_record.h"

namespace brelmox {

int GetFiles(std::string viewPath, std::string localFolder, int recurse, int preserve, int checkout,
             std::string description, std::string label, std::string version,
             COstrelContext& context) {
    const GetSelection selection{viewPath, recurse, checkout, description, label, version};
    const FileRequest request{viewPath, localFolder, preserve, checkout};
    // A check-out into a folder that takes no file would leave files checked out to a
    // user who never received them, so the folder is tried before anything is asked.
    if (checkout != 0) {
        const int code = CheckFolderTakesFiles(LocalTargetFolder(localFolder), context);
        if (code != 0) return code;
    }
    std::vector<std::string> unwritten;
    const int result = RequestFiles(
        context, selection,
        [&](AnswerRecords& records, const std::string& fields, bool hasContent) {
            return SaveFileRecord(records, fields, hasContent, request, context, &unwritten);
        });
    // Released once the answer is read, as the releases are requests of their own. Their
    // outcome is reported but the result stays that of the failed write.
    for (const std::string& path : unwritten) UncheckoutFiles(context, path, 0);
    return result;
}

}  // namespace brelmox
