// How add, ci and status choose local files and map each to its place in the repository.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brelmox {

// Called once per chosen file with its full local path and the view folder it goes to; a
// non-zero result is kept as the walk's result and the walk goes on.
using LocalFileVisitor =
    std::function<int(const std::string& localPath, const std::string& viewFolder)>;

// The files matching pattern (made absolute against the current folder), then with recurse
// those of every sub-folder not reached through a link, files before sub-folders and names
// in byte order. With preserve a file's view folder is viewPath followed by its folder below
// startPath's folder, joined with '\'; without, viewPath itself. Returns the last non-zero
// visitor result, or 0.
int WalkLocalFiles(const std::string& startPath, const std::string& pattern,
                   const std::string& viewPath, int recurse, int preserve,
                   const LocalFileVisitor& visit);

// The files of a walk, side by side with the view path of each file (its view folder and
// its name), kept as two lists so that the view paths go to a status query as they are.
struct LocalFiles {
    std::vector<std::string> localPaths;
    std::vector<std::string> viewPaths;
};
LocalFiles CollectLocalFiles(const std::string& startPath, const std::string& pattern,
                             const std::string& viewPath, int recurse, int preserve);

}  // namespace brelmox
