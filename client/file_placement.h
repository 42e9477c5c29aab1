// Where a downloaded file goes below the local folder.
#pragma once

#include <string>

namespace brelmox {

struct FilePlacement {
    std::string targetFolder;    // with the system's separators, created before the file is written
    std::string targetPath;      // targetFolder + name
    std::string repositoryPath;  // repository folder + "/" + name, for the success line
};

// Works out the place of one record. False, with the offending text in *unsafe, when the
// name or (with preserve) the repository folder would leave the local folder.
bool PlaceRecord(const std::string& name, const std::string& recordViewPath,
                 const std::string& requestViewPath, const std::string& localFolder, int preserve,
                 FilePlacement* placement, std::string* unsafe);

// The folder that receives the files of the local folder itself (no mirrored folder):
// '/'-separated with one trailing '/', or empty for the current folder.
std::string LocalTargetFolder(const std::string& localFolder);

}  // namespace brelmox
