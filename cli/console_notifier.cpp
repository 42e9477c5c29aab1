#include "cli/console_notifier.h"

#include <iostream>

#include "cli/messages.h"
#include "common/format.h"

namespace {

using brelmox::FileAction;
using brelmox::FileOutcome;
using brelmox::FormatMessage;

// Undo check-out and remove name the file and its folder, or the root.
std::string FolderLine(const char* inFolder, const char* atRoot, const FileOutcome& done) {
    return done.viewPath.empty() ? FormatMessage(atRoot, done.name)
                                 : FormatMessage(inFolder, done.name, done.viewPath);
}

std::string DoneLine(const FileOutcome& done) {
    switch (done.action) {
        case FileAction::Add:
            return FormatMessage(climsg::kFileAdded, done.localPath, done.viewPath);
        case FileAction::Checkin:
            return FormatMessage(climsg::kFileCheckedIn, done.localPath, done.viewPath);
        case FileAction::Get:
            return FormatMessage(climsg::kFileSaved, done.viewPath, done.localPath);
        case FileAction::Checkout:
            return FormatMessage(climsg::kFileCheckedOut, done.viewPath, done.localPath);
        case FileAction::Uncheckout:
            return FolderLine(climsg::kFileUncheckedOut, climsg::kFileUncheckedOutRoot, done);
        case FileAction::Remove:
            break;
    }
    return FolderLine(climsg::kFileRemoved, climsg::kFileRemovedRoot, done);
}

}  // namespace

ConsoleNotifier::ConsoleNotifier(std::unique_ptr<ProgressMeter> meter) : meter_(std::move(meter)) {}

// A text that already ends in a line feed leaves an empty line after it.
void ConsoleNotifier::PrintLine(const std::string& text) {
    if (meter_) meter_->Clear();
    std::cout << text << std::endl;
}

void ConsoleNotifier::TransferBytes(const std::string& name, uint64_t done, uint64_t total) {
    if (meter_) meter_->Update(name, done, total);
}

void ConsoleNotifier::PackingBytes(const std::string& name, uint64_t done, uint64_t total) {
    if (meter_) meter_->Update(name, done, total, ProgressMeter::Stage::Packing);
}

void ConsoleNotifier::TransferEnd() {
    if (meter_) meter_->End();
}

void ConsoleNotifier::Message(const std::string& text) {
    PrintLine(text);
}

void ConsoleNotifier::FileDone(const FileOutcome& outcome) {
    PrintLine(outcome.status != 0 ? outcome.error : DoneLine(outcome));
}

void ConsoleNotifier::ProjectCreated(const std::string& name) {
    PrintLine(FormatMessage(climsg::kCreatedProject, name));
}

void ConsoleNotifier::LabelAttached(const std::string& label, const std::string& project) {
    PrintLine(FormatMessage(climsg::kLabelAttached, label, project));
}
