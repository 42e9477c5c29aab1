// The notifier of -json runs. Standard output then holds JSON alone, so messages are kept
// and a failed command shows them as one object {"error": TEXT, "code": N}; the messages
// of a command that succeeded (a notice from the server) are left out.
#pragma once

#include <string>

#include "client/notifier.h"

class JsonNotifier : public brelmox::Notifier {
  public:
    void Message(const std::string& text) override;
    void FileDone(const brelmox::FileOutcome& outcome) override;
    // No query creates a project or a label, and a success is never news here.
    void ProjectCreated(const std::string&) override {}
    void LabelAttached(const std::string&, const std::string&) override {}

    void ProgressBegin(const std::string&, size_t) override {}
    bool ProgressStep(const std::string&) override { return true; }
    void ProgressEnd() override {}

    // The failure object, when result is not 0: the messages one a line, without the line
    // feeds that some texts end with.
    void ReportResult(int result) const;

  private:
    std::string error_;
};
