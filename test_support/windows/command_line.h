// Arguments as one Windows command line, which each program splits again itself.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The arguments joined so that CommandLineToArgvW and the C runtime give them back as they
// were: an argument with a blank, a tab or a double quote, and an empty one, goes in double
// quotes, with each quote escaped by a backslash and the backslashes before a quote doubled.
// The program (argv[0]) is read by other rules, without escapes: it is only quoted, and its
// '/' separators become '\'.
std::wstring WindowsCommandLine(const std::vector<std::string>& argv);

}  // namespace testsupport
