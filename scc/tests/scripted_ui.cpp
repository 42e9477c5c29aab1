#include "scc/tests/scripted_ui.h"

namespace scctest {

namespace {

class ScriptedProgress : public brelmoxscc::ProgressWindow {
  public:
    ScriptedProgress(std::shared_ptr<ProgressRecord> record, size_t cancelAtFile, bool cancelled)
        : record_(std::move(record)), cancelAtFile_(cancelAtFile), cancelled_(cancelled) {}
    ~ScriptedProgress() override { record_->closed = true; }

    void SetAction(const std::string& text) override { record_->texts.push_back(text); }
    void SetFile(const std::string& path) override {
        record_->texts.push_back(path);
        if (++files_ == cancelAtFile_) cancelled_ = true;
    }
    bool CancelRequested() override { return cancelled_; }

  private:
    std::shared_ptr<ProgressRecord> record_;
    size_t cancelAtFile_;
    size_t files_ = 0;
    bool cancelled_;
};

}  // namespace

bool ScriptedUi::Login(LoginValues* values) {
    loginsShown.push_back(*values);
    if (logins.empty()) return false;
    std::optional<LoginValues> answer = logins.front();
    logins.pop_front();
    if (!answer) return false;
    *values = *answer;
    return true;
}

bool ScriptedUi::ChooseProject(const char* dialog, const brelmoxscc::ProjectLister& lister,
                               ProjectChoice* choice) {
    projectDialogs.push_back(dialog);
    projectLists.push_back(lister());
    if (projectChoices.empty()) return false;
    std::optional<ProjectChoice> answer = projectChoices.front();
    projectChoices.pop_front();
    if (!answer) return false;
    *choice = *answer;
    return true;
}

bool ScriptedUi::SelectProject(const brelmoxscc::ProjectLister& lister, ProjectChoice* choice) {
    return ChooseProject("CSelectProject", lister, choice);
}

bool ScriptedUi::SetProject(const brelmoxscc::ProjectLister& lister, ProjectChoice* choice) {
    namesShown.push_back(choice->newName);
    return ChooseProject("CSetProject", lister, choice);
}

std::unique_ptr<brelmoxscc::ProgressWindow> ScriptedUi::OpenProgress() {
    auto record = std::make_shared<ProgressRecord>();
    record->opened = std::chrono::steady_clock::now();
    record->thread = std::this_thread::get_id();
    progressWindows.push_back(record);
    if (whileProgressShown) whileProgressShown();
    return std::make_unique<ScriptedProgress>(record, cancelAtFile, cancelWhenShown);
}

void ScriptedUi::ShowHistory(const std::string& viewPath, const std::string& localPath,
                             const std::vector<brelmox::CFileVersion>& versions,
                             const brelmoxscc::VersionFetcher& fetch) {
    histories.push_back({viewPath, localPath, versions});
    for (const auto& [version, folder] : historyFetches) fetch(version, folder);
}

bool ScriptedUi::EditCommandOptions(std::string* commandLine) {
    optionsShown.push_back(*commandLine);
    if (optionAnswers.empty()) return false;
    std::optional<std::string> answer = optionAnswers.front();
    optionAnswers.pop_front();
    if (!answer) return false;
    *commandLine = *answer;
    return true;
}

}  // namespace scctest
