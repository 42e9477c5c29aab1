#include "client/local_files.h"
#include "client/operations.h"

namespace brelmox {

int AddFiles(std::string startPath, std::string pattern, std::string viewPath, int recurse,
             int preserve, int checkin, std::string description, COstrelContext& context,
             size_t* found) {
    size_t count = 0;
    const int result =
        WalkLocalFiles(startPath, pattern, viewPath, recurse, preserve,
                       [&](const std::string& localPath, const std::string& viewFolder) {
                           ++count;
                           return AddFile(context, checkin, localPath, viewFolder, description);
                       });
    if (found != nullptr) *found = count;
    return result;
}

}  // namespace brelmox
