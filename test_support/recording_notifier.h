// A notifier that keeps everything an operation reports, for tests to look at afterwards.
// The log belongs to the test, so it outlives the context that owns the notifier.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "client/notifier.h"

namespace testsupport {

struct NotifierLog {
    std::vector<std::string> messages;
    std::vector<brelmox::FileOutcome> files;
    std::vector<std::string> projectsCreated;
    std::vector<std::pair<std::string, std::string>> labelsAttached;  // label, project
    std::vector<std::string> progress;  // "begin ACTION COUNT", "step ITEM", "end"
};

class RecordingNotifier : public brelmox::Notifier {
  public:
    explicit RecordingNotifier(NotifierLog* log) : log_(log) {}

    void Message(const std::string& text) override { log_->messages.push_back(text); }
    void FileDone(const brelmox::FileOutcome& outcome) override { log_->files.push_back(outcome); }
    void ProjectCreated(const std::string& name) override { log_->projectsCreated.push_back(name); }
    void LabelAttached(const std::string& label, const std::string& project) override {
        log_->labelsAttached.emplace_back(label, project);
    }
    void ProgressBegin(const std::string& action, size_t count) override {
        log_->progress.push_back("begin " + action + " " + std::to_string(count));
    }
    bool ProgressStep(const std::string& item) override {
        log_->progress.push_back("step " + item);
        return true;
    }
    void ProgressEnd() override { log_->progress.push_back("end"); }

  private:
    NotifierLog* log_;
};

}  // namespace testsupport

namespace brelmox {

// For comparing recorded outcomes in tests and printing them when they differ.
inline auto OutcomeFields(const FileOutcome& o) {
    return std::tie(o.action, o.status, o.error, o.localPath, o.viewPath, o.name);
}
inline bool operator==(const FileOutcome& a, const FileOutcome& b) {
    return OutcomeFields(a) == OutcomeFields(b);
}
inline void PrintTo(const FileOutcome& o, std::ostream* out) {
    static const char* const kActions[] = {"add", "ci", "get", "co", "unco", "rm"};
    *out << "{" << kActions[static_cast<int>(o.action)] << " " << o.status << " error='" << o.error
         << "' local='" << o.localPath << "' view='" << o.viewPath << "' name='" << o.name << "'}";
}

}  // namespace brelmox
