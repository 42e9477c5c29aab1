// View paths as the client sends them: folders separated by '\' or '/', relative to the
// project root. Stored folders use '/'; answers give them back with '\'.
#pragma once

#include <string>
#include <vector>

namespace server {

// The components of a view path, without empty and "." components. Refuses (status
// kBadPath) a path that is absolute, has a ".." component or a control character.
std::vector<std::string> SplitViewPath(const std::string& text);

// The first count components joined with '/'; "" is the project root.
std::string JoinFolder(const std::vector<std::string>& components, std::size_t count);

// A stored folder as answers carry it ('\' between folders).
std::string WireFolder(const std::string& folder);

// folder/name, or the name alone in the root: how messages name a file.
std::string ShownPath(const std::string& folder, const std::string& name);

bool HasWildcards(const std::string& name);

// The file name of an upload's "filename" value: what follows its last '\' or '/'.
std::string UploadedFileName(const std::string& filename);

// Refuses (status kBadPath) a new file whose path holds a '|': the multi-file status sends
// its paths joined by '|', so such a path would split in two and shift the state of every
// later file of the answer.
void RequireNoBar(const std::string& shownPath);

// Refuses names that cannot be stored as given: empty, over 255 bytes, "." or "..",
// wildcards, control characters, separators.
void RequireStorableName(const std::string& name, const std::string& shownPath);

}  // namespace server
