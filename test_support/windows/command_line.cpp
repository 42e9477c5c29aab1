#include "test_support/windows/command_line.h"

#include <algorithm>

#include "platform/windows/utf16.h"

namespace testsupport {
namespace {

std::wstring QuotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes stand for themselves unless a quote follows them.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    // The closing quote follows: the backslashes before it are doubled too.
    quoted.append(backslashes * 2, L'\\');
    return quoted + L'"';
}

}  // namespace

std::wstring WindowsCommandLine(const std::vector<std::string>& argv) {
    std::wstring program = platform::Utf16(argv.empty() ? "" : argv[0]);
    std::replace(program.begin(), program.end(), L'/', L'\\');
    std::wstring line = L"\"" + program + L"\"";
    for (size_t i = 1; i < argv.size(); ++i)
        line += L" " + QuotedArgument(platform::Utf16(argv[i]));
    return line;
}

}  // namespace testsupport
