// A user scripted in advance: answers each dialog from a queue and records what the
// provider showed, so that the provider's logic runs without a display.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scc/provider_ui.h"

namespace scctest {

using brelmoxscc::LoginValues;
using brelmoxscc::ProjectChoice;

// What one progress window was shown, in order.
struct ProgressRecord {
    std::vector<std::string> texts;
    bool closed = false;
    std::chrono::steady_clock::time_point opened;
    std::thread::id thread;  // the one it was opened on
};

class ScriptedUi : public brelmoxscc::ProviderUi {
  public:
    // Answers in order; an empty answer (or none left) is Cancel.
    std::deque<std::optional<LoginValues>> logins;
    std::deque<std::optional<ProjectChoice>> projectChoices;
    // The progress window's Cancel is pressed while this file (1 for the first) is shown.
    size_t cancelAtFile = 0;
    // The progress window's Cancel is pressed as soon as it is shown.
    bool cancelWhenShown = false;
    // Run on the thread that shows the progress window, once it is shown.
    std::function<void()> whileProgressShown;
    // Get presses in the history dialog: the version and the folder picked.
    std::vector<std::pair<std::string, std::string>> historyFetches;
    // The options dialog's edit on OK; an empty answer is Cancel.
    std::deque<std::optional<std::string>> optionAnswers;

    // What the user saw.
    std::vector<std::string> messages;
    std::vector<std::thread::id> messageThreads;  // the thread each message was shown on
    std::vector<LoginValues> loginsShown;         // the edits' contents on opening
    std::vector<std::string> projectDialogs;      // "CSelectProject" or "CSetProject"
    std::vector<std::string> namesShown;          // the set-project dialog's name edit
    std::vector<std::vector<std::string>> projectLists;
    std::vector<std::shared_ptr<ProgressRecord>> progressWindows;
    struct History {
        std::string viewPath;
        std::string localPath;
        std::vector<brelmox::CFileVersion> versions;
    };
    std::vector<History> histories;
    std::vector<brelmox::CFileVersion> propertiesShown;
    std::vector<std::string> optionsShown;  // the command line on opening

    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        messageThreads.push_back(std::this_thread::get_id());
    }
    bool Login(LoginValues* values) override;
    bool SelectProject(const brelmoxscc::ProjectLister& lister, ProjectChoice* choice) override;
    bool SetProject(const brelmoxscc::ProjectLister& lister, ProjectChoice* choice) override;
    std::unique_ptr<brelmoxscc::ProgressWindow> OpenProgress() override;
    void ShowHistory(const std::string& viewPath, const std::string& localPath,
                     const std::vector<brelmox::CFileVersion>& versions,
                     const brelmoxscc::VersionFetcher& fetch) override;
    void ShowProperties(const brelmox::CFileVersion& record) override {
        propertiesShown.push_back(record);
    }
    bool EditCommandOptions(std::string* commandLine) override;

  private:
    bool ChooseProject(const char* dialog, const brelmoxscc::ProjectLister& lister,
                       ProjectChoice* choice);
};

}  // namespace scctest
