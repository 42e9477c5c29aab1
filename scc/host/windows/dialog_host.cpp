// The scripted user on Windows: a thread of its own watches this process's top-level
// dialogs (the provider shows them modally on the calling thread), prints what each shows
// and answers it by posting the button's command, as the Linux host does with the Qt ones.
#include "scc/host/dialog_host.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <set>
#include <thread>

#include "scc/host/windows/shown_content.h"
#include "scc/win32_dialogs/dialog_ids.h"
#include "scc/win32_dialogs/open_dialogs.h"

namespace scchost {

namespace {

using brelmoxscc::Press;
using namespace std::chrono_literals;

constexpr auto kPollInterval = 20ms;
// A dialog that keeps coming back (a login the server keeps refusing) is cancelled after
// this many answers within one call, so that no script runs forever.
constexpr int kMostAcceptsPerCall = 3;
constexpr auto kPickerSettles = 5s;
constexpr auto kSettled = 500ms;

class PersonAnswers : public DialogHost {
  public:
    void StartCall(const std::string&) override {}
};

class WatchingAnswerer : public DialogHost {
  public:
    explicit WatchingAnswerer(const ScriptedAnswers& answers)
        : accept_(answers.answer == "ok"),
          getVersion_(answers.getVersion),
          cancelProgressIn_(answers.cancelProgressIn),
          thread_([this] { Watch(); }) {}
    ~WatchingAnswerer() override {
        stop_ = true;
        thread_.join();
    }

    void StartCall(const std::string& call) override {
        answeredThisCall_ = 0;
        gotThisCall_ = false;
        cancelThisCall_ = !cancelProgressIn_.empty() && call == cancelProgressIn_;
    }

  private:
    void Watch() {
        while (!stop_) {
            AnswerOpenDialogs();
            std::this_thread::sleep_for(kPollInterval);
        }
    }

    // A dialog is answered once, and again only after it has been disabled (a message box
    // or a picker it opened has been open) or has closed: the posted answer may not have
    // been acted on yet when the dialogs are next looked at.
    void AnswerOpenDialogs() {
        const std::vector<HWND> open = brelmoxscc::OpenDialogsOfThisProcess();
        std::erase_if(answered_, [&](HWND window) {
            return std::find(open.begin(), open.end(), window) == open.end() ||
                   !IsWindowEnabled(window);
        });
        for (HWND window : open) {
            if (answered_.contains(window) || !IsWindowEnabled(window)) continue;
            if (Answer(window)) answered_.insert(window);
        }
    }

    // False for a window left alone: the progress window and any dialog of the provider
    // this host does not know.
    bool Answer(HWND window) {
        const int templateId = brelmoxscc::TemplateOf(window);
        if (templateId == 0) return AnswerForeignWindow(window);
        if (templateId == IDD_PROGRESS) return CancelProgress(window);
        const char* name = ProviderDialogName(templateId);
        if (name == nullptr) return false;
        const bool accept = accept_ && ++answeredThisCall_ <= kMostAcceptsPerCall;
        if (accept && templateId == IDD_HISTORY && !getVersion_.empty() && !gotThisCall_) {
            gotThisCall_ = true;
            if (SelectVersion(window, getVersion_)) {
                Say(std::string("dialog: ") + name + " Get " + getVersion_, window);
                Press(window, IDC_GET_VERSION);
                return true;
            }
        }
        Say(std::string("dialog: ") + name + (accept ? " OK" : " Cancel"), window);
        Press(window, accept ? IDOK : IDCANCEL);
        return true;
    }

    // The progress window is modeless and otherwise left alone; Cancel is pressed in it
    // once, the first time it shows.
    bool CancelProgress(HWND window) {
        if (!cancelThisCall_) return false;
        cancelThisCall_ = false;
        Print(kProgressCancelled);
        Press(window, IDCANCEL);
        return true;
    }

    // A message box is printed and closed; a system dialog the provider opened (the folder
    // picker) has no class name here and is named by its caption.
    bool AnswerForeignWindow(HWND window) {
        const std::string message = MessageBoxText(window);
        if (!message.empty()) {
            Print("message: " + message);
            Press(window, IDOK);
            return true;
        }
        const bool accept =
            accept_ && ++answeredThisCall_ <= kMostAcceptsPerCall && AwaitsChoice(window);
        Say("dialog: " + Caption(window) + (accept ? " OK" : " Cancel"), window);
        Press(window, accept ? IDOK : IDCANCEL);
        return true;
    }

    // The folder picker fills its tree after it shows, selecting each folder down to the
    // one it starts on and naming the selection in its edit: OK before it has settled
    // would choose another folder. A picker that does not settle is cancelled.
    static bool AwaitsChoice(HWND window) {
        const HWND edit = FindWindowExW(window, nullptr, L"Edit", nullptr);
        if (edit == nullptr) return true;
        const auto deadline = std::chrono::steady_clock::now() + kPickerSettles;
        std::wstring shown;
        auto shownSince = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < deadline) {
            const std::wstring now = brelmoxscc::Text(edit);
            if (now != shown) {
                shown = now;
                shownSince = std::chrono::steady_clock::now();
            } else if (!shown.empty() && std::chrono::steady_clock::now() - shownSince > kSettled) {
                return true;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return false;
    }

    static void Say(const std::string& line, HWND window) {
        Print(line);
        PrintShownContent(window);
    }

    const bool accept_;
    const std::string getVersion_;
    const std::string cancelProgressIn_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answeredThisCall_{0};
    std::atomic<bool> gotThisCall_{false};
    std::atomic<bool> cancelThisCall_{false};
    std::set<HWND> answered_;  // the watching thread's own
    std::thread thread_;
};

}  // namespace

std::unique_ptr<DialogHost> StartDialogHost(int&, char**, const ScriptedAnswers& answers) {
    if (answers.answer.empty()) return std::make_unique<PersonAnswers>();
    return std::make_unique<WatchingAnswerer>(answers);
}

}  // namespace scchost
