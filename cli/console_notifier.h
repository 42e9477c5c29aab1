// What the console program shows of an operation: one line on standard output per
// message or outcome, flushed at once. Refusals show the server's own text.
#pragma once

#include <string>

#include "client/notifier.h"

class ConsoleNotifier : public brelmox::Notifier {
  public:
    void Message(const std::string& text) override;
    void FileDone(const brelmox::FileOutcome& outcome) override;
    void ProjectCreated(const std::string& name) override;
    void LabelAttached(const std::string& label, const std::string& project) override;

    // The console shows no progress and is never asked to stop.
    void ProgressBegin(const std::string&, size_t) override {}
    bool ProgressStep(const std::string&) override { return true; }
    void ProgressEnd() override {}
};
