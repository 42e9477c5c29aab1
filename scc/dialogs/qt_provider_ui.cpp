#include "scc/dialogs/qt_provider_ui.h"

#include <QApplication>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <mutex>
#include <string>

#include "scc/dialogs/command_options.h"
#include "scc/dialogs/display_check.h"
#include "scc/dialogs/event_loop_waiter.h"
#include "scc/dialogs/history_dialog.h"
#include "scc/dialogs/login.h"
#include "scc/dialogs/message_box.h"
#include "scc/dialogs/progress_tracker.h"
#include "scc/dialogs/properties_dialog.h"
#include "scc/dialogs/select_project.h"
#include "scc/dialogs/set_project.h"

namespace brelmoxscc {
namespace {

// QApplication keeps references to argc and argv for its whole life.
int applicationArgc = 1;
char applicationName[] = "brelmoxscc";
char* applicationArgv[] = {applicationName, nullptr};

// The application we create stays until the process ends: destroying it while the library
// unloads would race the host's own shutdown. Its constructor sets the process locale from
// the environment, which is the host's business, so the locale is put back.
void CreateApplication() {
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    auto* application = new QApplication(applicationArgc, applicationArgv);
    std::setlocale(LC_ALL, locale.c_str());
    // Our dialogs closing must never end the host's event loop.
    application->setQuitOnLastWindowClosed(false);
}

// The widget application to show dialogs in, or null when there is none to be had (no
// display, or a host running a non-widget Qt application).
QApplication* WidgetApplication() {
    static std::once_flag created;
    std::call_once(created, [] {
        if (QCoreApplication::instance() == nullptr && DisplayNamed() && DisplayAnswers()) {
            CreateApplication();
        }
    });
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

class SilentProgress : public ProgressWindow {
  public:
    void SetAction(const std::string&) override {}
    void SetFile(const std::string&) override {}
    bool CancelRequested() override { return false; }
};

bool RunProjectDialog(ProjectDialog& dialog, ProjectChoice* choice) {
    if (dialog.exec() != QDialog::Accepted) return false;
    choice->chosen = dialog.Chosen();
    choice->description = dialog.Description();
    return true;
}

class QtProviderUi : public ProviderUi {
  public:
    QtProviderUi() : widgets_(WidgetApplication() != nullptr) {}

    void ShowMessage(const std::string& text) override {
        if (widgets_) return ShowMessageBox(nullptr, text);
        // One line per message, written in one call so that concurrent lines stay whole.
        std::string line = text;
        while (!line.empty() && line.back() == '\n') line.pop_back();
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::fprintf(stderr, "%s\n", line.c_str());
    }

    bool Login(LoginValues* values) override {
        if (!widgets_) return false;
        CLogin dialog(*values);
        if (dialog.exec() != QDialog::Accepted) return false;
        *values = dialog.Values();
        return true;
    }

    bool SelectProject(const ProjectLister& lister, ProjectChoice* choice) override {
        if (!widgets_) return false;
        CSelectProject dialog(lister);
        return RunProjectDialog(dialog, choice);
    }

    bool SetProject(const ProjectLister& lister, ProjectChoice* choice) override {
        if (!widgets_) return false;
        CSetProject dialog(lister, choice->newName);
        return RunProjectDialog(dialog, choice);
    }

    void ShowHistory(const std::string& viewPath, const std::string& localPath,
                     const std::vector<brelmox::CFileVersion>& versions,
                     const VersionFetcher& fetch) override {
        if (!widgets_) return;
        CHistoryDlg dialog(viewPath, localPath, versions, fetch);
        dialog.exec();
    }

    void ShowProperties(const brelmox::CFileVersion& record) override {
        if (!widgets_) return;
        CSCCPropertiesDlg dialog(record);
        dialog.exec();
    }

    bool EditCommandOptions(std::string* commandLine) override {
        if (!widgets_) return false;
        CCommandOptions dialog(*commandLine);
        if (dialog.exec() != QDialog::Accepted) return false;
        *commandLine = dialog.CommandLine();
        return true;
    }

    std::unique_ptr<ProgressWindow> OpenProgress() override {
        if (!widgets_) return std::make_unique<SilentProgress>();
        auto window = std::make_unique<CProgressTracker>();
        window->Open();
        return window;
    }

    std::unique_ptr<UiWaiter> MakeWaiter() override {
        if (!widgets_) return std::make_unique<BlockingWaiter>();
        return MakeEventLoopWaiter();
    }

  private:
    const bool widgets_;
};

}  // namespace

std::unique_ptr<ProviderUi> MakeQtProviderUi() {
    return std::make_unique<QtProviderUi>();
}

}  // namespace brelmoxscc
