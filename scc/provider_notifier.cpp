#include "scc/provider_notifier.h"

namespace brelmoxscc {

namespace {

// With this many files the progress window opens at once.
constexpr size_t kFilesForProgressWindow = 4;

}  // namespace

void ProviderNotifier::Message(const std::string& text) {
    if (runner_.Cancelled()) return;
    runner_.Show([&] { ui_.ShowMessage(text); });
}

void ProviderNotifier::FileDone(const brelmox::FileOutcome& outcome) {
    if (outcome.status == 0) return;
    if (outcome.action == brelmox::FileAction::Get ||
        outcome.action == brelmox::FileAction::Checkout) {
        return;
    }
    Message(outcome.error);
}

void ProviderNotifier::ProgressBegin(const std::string& action, size_t count) {
    runner_.BeginItems(action, count >= kFilesForProgressWindow);
}

bool ProviderNotifier::ProgressStep(const std::string& item) {
    return runner_.StepItem(item);
}

void ProviderNotifier::TransferBytes(const std::string& name, uint64_t done, uint64_t total) {
    runner_.SetBytes(name, done, total);
}

void ProviderNotifier::PackingBytes(const std::string& name, uint64_t done, uint64_t total) {
    runner_.SetBytes(name, done, total);
}

}  // namespace brelmoxscc
