// What the provider's user sees of the library's work: every message in a message box,
// the server's text of a refused add, check-in, undo check-out or remove (a refused get
// or check-out reaches the IDE only as its result code), no success lines, and the
// progress window of long work on four files or more.
#pragma once

#include <memory>

#include "client/notifier.h"
#include "scc/provider_ui.h"

namespace brelmoxscc {

class ProviderNotifier : public brelmox::Notifier {
  public:
    explicit ProviderNotifier(ProviderUi& ui) : ui_(ui) {}

    void Message(const std::string& text) override;
    void FileDone(const brelmox::FileOutcome& outcome) override;
    void ProjectCreated(const std::string&) override {}
    void LabelAttached(const std::string&, const std::string&) override {}
    void ProgressBegin(const std::string& action, size_t count) override;
    bool ProgressStep(const std::string& item) override;
    void ProgressEnd() override;

  private:
    ProviderUi& ui_;
    std::unique_ptr<ProgressWindow> progress_;
};

}  // namespace brelmoxscc
