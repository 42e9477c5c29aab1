// get, co and sync need a file: without one they say so and do nothing.
#pragma once

#include <string>

// The from text without its leading and trailing '/' and '\'; prints the missing-file
// line and returns false when nothing is left.
bool TrimmedFromText(const std::string& from, std::string* trimmed);
