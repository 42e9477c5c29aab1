#include "client/get_request.h"
#include "client/operations.h"
#include "client/save_file_record.h"

namespace brelmox {

int GetFiles(std::string viewPath, std::string localFolder, int recurse, int preserve, int checkout,
             std::string description, std::string label, std::string version,
             COstrelContext& context) {
    const GetSelection selection{viewPath, recurse, checkout, description, label, version};
    const FileRequest request{viewPath, localFolder, preserve, checkout};
    return RequestFiles(context, selection,
                        [&](AnswerRecords& records, const std::string& fields, bool hasContent) {
                            return SaveFileRecord(records, fields, hasContent, request, context);
                        });
}

}  // namespace brelmox
