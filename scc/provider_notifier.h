// What the provider's user sees of the library's work: every message in a message box,
// the server's text of a refused add, check-in, undo check-out or remove (a refused get
// or check-out reaches the IDE only as its result code), no success lines, and the
// progress window of requests that take long. The library works on a worker thread: all of
// it is shown on the IDE's thread. Once the user cancelled, the failures of what was cut
// short are not shown.
#pragma once

#include "client/notifier.h"
#include "scc/busy_runner.h"
#include "scc/provider_ui.h"

namespace brelmoxscc {

class ProviderNotifier : public brelmox::Notifier {
  public:
    ProviderNotifier(ProviderUi& ui, BusyRunner& runner) : ui_(ui), runner_(runner) {}

    void Message(const std::string& text) override;
    void FileDone(const brelmox::FileOutcome& outcome) override;
    void ProjectCreated(const std::string&) override {}
    void LabelAttached(const std::string&, const std::string&) override {}
    void ProgressBegin(const std::string& action, size_t count) override;
    bool ProgressStep(const std::string& item) override;
    void ProgressEnd() override {}
    void TransferBytes(const std::string& name, uint64_t done, uint64_t total) override;
    void PackingBytes(const std::string& name, uint64_t done, uint64_t total) override;
    bool Cancelled() const override { return runner_.Cancelled(); }

  private:
    ProviderUi& ui_;
    BusyRunner& runner_;
};

}  // namespace brelmoxscc
