#include "scc/provider_notifier.h"

namespace brelmoxscc {

namespace {

// Fewer files than this go by without a window.
constexpr size_t kFilesForProgressWindow = 4;

}  // namespace

void ProviderNotifier::Message(const std::string& text) {
    ui_.ShowMessage(text);
}

void ProviderNotifier::FileDone(const brelmox::FileOutcome& outcome) {
    if (outcome.status == 0) return;
    if (outcome.action == brelmox::FileAction::Get ||
        outcome.action == brelmox::FileAction::Checkout) {
        return;
    }
    ui_.ShowMessage(outcome.error);
}

void ProviderNotifier::ProgressBegin(const std::string& action, size_t count) {
    progress_.reset();
    if (count < kFilesForProgressWindow) return;
    progress_ = ui_.OpenProgress();
    if (progress_) progress_->SetAction(action);
}

bool ProviderNotifier::ProgressStep(const std::string& item) {
    if (!progress_) return true;
    progress_->SetFile(item);
    return !progress_->CancelRequested();
}

void ProviderNotifier::ProgressEnd() {
    progress_.reset();
}

}  // namespace brelmoxscc
