#include "scc/diff_command.h"

#include "platform/process.h"

namespace brelmoxscc {

namespace {

constexpr const char* kBlanks = " \t\r\n";
constexpr const char* kMarker = "%s";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

DiffCommand SplitDiffCommand(const std::string& commandLine) {
    const std::string text = Trimmed(commandLine);
    DiffCommand command;
    size_t position = 0;
    char closing = ' ';
    if (!text.empty() && (text[0] == '"' || text[0] == '\'')) {
        closing = text[0];
        position = 1;
    }
    while (position < text.size() && text[position] != closing) {
        command.program += text[position++];
    }
    // A closing quote is passed over; a closing blank belongs to the template's trimming.
    if (closing != ' ' && position < text.size()) ++position;
    command.argumentTemplate = Trimmed(text.substr(position));
    return command;
}

std::vector<std::string> DiffArguments(const std::string& argumentTemplate,
                                       const std::string& workingFile,
                                       const std::string& repositoryCopy) {
    const std::string paths[] = {workingFile, repositoryCopy};
    std::string parameters = argumentTemplate;
    size_t from = 0;
    for (const std::string& path : paths) {
        const size_t marker = parameters.find(kMarker, from);
        if (marker == std::string::npos) break;
        const std::string quoted = "\"" + path + "\"";
        parameters.replace(marker, 2, quoted);
        from = marker + quoted.size();
    }
    // A path put in by a marker is already quoted, so it stays one argument.
    return platform::SplitCommandWords(parameters);
}

}  // namespace brelmoxscc
