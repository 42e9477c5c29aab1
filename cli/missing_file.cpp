#include "cli/missing_file.h"

#include <iostream>

#include "cli/messages.h"
#include "client/path_text.h"

bool TrimmedFromText(const std::string& from, std::string* trimmed) {
    *trimmed = brelmox::TrimSlashes(from);
    if (!trimmed->empty()) return true;
    std::cout << climsg::kMissingFile << std::endl;
    return false;
}
