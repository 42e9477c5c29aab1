// What the console program shows of an operation: one line on standard output per
// message or outcome, flushed at once. Refusals show the server's own text. A long
// transfer's bytes, and the packing before an upload, show on the progress meter, when there
// is one (standard error a terminal); it is wiped before each line is printed.
#pragma once

#include <memory>
#include <string>

#include "cli/progress_meter.h"
#include "client/notifier.h"

class ConsoleNotifier : public brelmox::Notifier {
  public:
    // Without a meter, nothing but the lines is ever written.
    explicit ConsoleNotifier(std::unique_ptr<ProgressMeter> meter = nullptr);

    void Message(const std::string& text) override;
    void FileDone(const brelmox::FileOutcome& outcome) override;
    void ProjectCreated(const std::string& name) override;
    void LabelAttached(const std::string& label, const std::string& project) override;

    // The console shows no item progress and is never asked to stop.
    void ProgressBegin(const std::string&, size_t) override {}
    bool ProgressStep(const std::string&) override { return true; }
    void ProgressEnd() override {}

    void TransferBytes(const std::string& name, uint64_t done, uint64_t total) override;
    void PackingBytes(const std::string& name, uint64_t done, uint64_t total) override;
    void TransferEnd() override;

  private:
    void PrintLine(const std::string& text);

    std::unique_ptr<ProgressMeter> meter_;
};
