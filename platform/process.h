// Starting another program that lives on by itself: its parent does not wait for it and no
// child is left for the caller to reap.
#pragma once

#include <string>
#include <vector>

namespace platform {

// A parameter string split into arguments: blanks separate them, double quotes group words
// and are dropped.
std::vector<std::string> SplitCommandWords(const std::string& text);

// Starts program (searched in PATH when it has no '/') with the arguments, in a session of
// its own. False with *error set to the errno of the failure, e.g. ENOENT when there is no
// such program. Once the program has ended, a process of its own that waits for it removes
// the paths of leftovers in order, each a file or an empty folder: what the program was
// given to read.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   int* error, const std::vector<std::string>& leftovers = {});

}  // namespace platform
