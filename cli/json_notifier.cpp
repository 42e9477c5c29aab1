#include "cli/json_notifier.h"

#include <iostream>

#include "cli/json_line.h"

void JsonNotifier::Message(const std::string& text) {
    if (!error_.empty()) error_ += '\n';
    error_ += text.substr(0, text.find_last_not_of('\n') + 1);
}

void JsonNotifier::FileDone(const brelmox::FileOutcome& outcome) {
    if (outcome.status != 0) Message(outcome.error);
}

void JsonNotifier::ReportResult(int result) const {
    if (result == 0) return;
    JsonLine().Text("error", error_).Number("code", result).Print();
    std::cout.flush();
}
