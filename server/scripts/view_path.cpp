#include "server/scripts/view_path.h"

#include <algorithm>

#include "server/refusal.h"
#include "server/scripts/names.h"
#include "server/statuses.h"

namespace server {
namespace {

// The longest file or folder name common file systems store.
constexpr std::size_t kMaxNameBytes = 255;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAbsolute(const std::string& text) {
    const bool drive = text.size() >= 2 && text[1] == ':' &&
                       ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
    return drive || (!text.empty() && IsSeparator(text[0]));
}

[[noreturn]] void RefusePath(const std::string& text) {
    throw Refusal::Of(own_status::kBadPath, text::kBadPath, text);
}

}  // namespace

std::vector<std::string> SplitViewPath(const std::string& text) {
    if (IsAbsolute(text) || HasControlCharacter(text)) RefusePath(text);
    std::vector<std::string> components;
    std::string current;
    auto finish = [&] {
        if (current == "..") RefusePath(text);
        if (!current.empty() && current != ".") components.push_back(current);
        current.clear();
    };
    for (char c : text) {
        if (IsSeparator(c)) {
            finish();
        } else {
            current += c;
        }
    }
    finish();
    return components;
}

std::string JoinFolder(const std::vector<std::string>& components, std::size_t count) {
    std::string folder;
    for (std::size_t i = 0; i < count && i < components.size(); ++i) {
        if (i > 0) folder += '/';
        folder += components[i];
    }
    return folder;
}

std::string WireFolder(const std::string& folder) {
    std::string wire = folder;
    std::replace(wire.begin(), wire.end(), '/', '\\');
    return wire;
}

std::string ShownPath(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

bool HasWildcards(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

std::string UploadedFileName(const std::string& filename) {
    const std::size_t separator = filename.find_last_of("/\\");
    return separator == std::string::npos ? filename : filename.substr(separator + 1);
}

void RequireNoBar(const std::string& shownPath) {
    if (shownPath.find('|') != std::string::npos)
        throw Refusal::Of(own_status::kBadPath, text::kBarInPath, shownPath);
}

void RequireStorableName(const std::string& name, const std::string& shownPath) {
    if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == ".." ||
        HasWildcards(name) || HasControlCharacter(name) ||
        std::any_of(name.begin(), name.end(), IsSeparator)) {
        RefusePath(shownPath);
    }
}

}  // namespace server
