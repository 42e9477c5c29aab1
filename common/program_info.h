// The answer every program but `brelmox` itself gives to `--help` and `--version`.
#pragma once

#include <ostream>
#include <string_view>

namespace brelmox {

// The product's version, the one every program and package reports.
std::string_view ProductVersion();

// When the only word after the program's name is `--help` or `--version`, prints the usage
// text or "NAME VERSION" to out and returns true (the caller then exits 0).
bool AnswerInfoRequest(int argc, const char* const* argv, std::string_view programName,
                       std::string_view usage, std::ostream& out);

}  // namespace brelmox
