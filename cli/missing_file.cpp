#include "cli/missing_file.h"

#include <iostream>

#include "cli/messages.h"
#include "client/path_text.h"
#include "common/format.h"
#include "common/result_codes.h"

bool TrimmedFromText(const std::string& from, std::string* trimmed) {
    *trimmed = brelmox::TrimSlashes(from);
    if (!trimmed->empty()) return true;
    std::cout << climsg::kMissingFile << std::endl;
    return false;
}

int FetchEach(const std::vector<std::string>& from,
              const std::function<int(const std::string& viewPath)>& fetch) {
    int result = 0;
    for (const std::string& word : from) {
        std::string viewPath;
        if (TrimmedFromText(word, &viewPath)) KeepFailure(fetch(viewPath), &result);
    }
    return result;
}

int NoFileMatches(const brelmox::COstrelContext& context, const std::string& named) {
    brelmox::ReportMessage(context, brelmox::FormatMessage(climsg::kNoFileMatches, named));
    return brelmox::result::kFileError;
}

void KeepFailure(int code, int* result) {
    if (code != 0) *result = code;
}
