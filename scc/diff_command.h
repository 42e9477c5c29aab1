// The stored comparison command line: a program, then an argument template in which each
// "%s" marks where a file's path goes.
#pragma once

#include <string>
#include <vector>

namespace brelmoxscc {

struct DiffCommand {
    std::string program;
    std::string argumentTemplate;
};

// The program is the first word, or the text between a leading double or single quote and
// its closing one (so a path with blanks can be named); the template is the rest, trimmed.
DiffCommand SplitDiffCommand(const std::string& commandLine);

// The program's arguments: the first two "%s" receive the working file and the repository
// copy, each as one argument; every other text stays as typed, further "%s" and other "%"
// sequences included. Blanks separate arguments, double quotes group words.
std::vector<std::string> DiffArguments(const std::string& argumentTemplate,
                                       const std::string& workingFile,
                                       const std::string& repositoryCopy);

}  // namespace brelmoxscc
