#include "client/local_files.h"
#include "client/operations.h"

namespace brelmox {

int AddFiles(std::string startPath, std::string pattern, std::string viewPath, int recurse,
             int preserve, int checkin, std::string description, COstrelContext& context) {
    return WalkLocalFiles(startPath, pattern, viewPath, recurse, preserve,
                          [&](const std::string& localPath, const std::string& viewFolder) {
                              return AddFile(context, checkin, localPath, viewFolder, description);
                          });
}

}  // namespace brelmox
