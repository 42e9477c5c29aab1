// Small text operations on paths and view paths.
#pragma once

#include <string>

namespace brelmox {

// Removes every leading and trailing '\' and '/'.
std::string TrimSlashes(const std::string& text);

// Replaces every '\' with '/'.
std::string ForwardSlashes(std::string text);

}  // namespace brelmox
