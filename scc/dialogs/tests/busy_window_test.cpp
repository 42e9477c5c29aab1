// A request that takes long, on Qt: the calling thread runs its event loop while the worker
// works, so the progress window is painted and its Cancel reaches the request.
#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <atomic>
#include <thread>

#include "scc/busy_runner.h"
#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/progress_tracker.h"
#include "scc/dialogs/qt_provider_ui.h"
#include "scc/dialogs/tests/dialog_test_support.h"
#include "scc/tests/work_until_cancelled.h"

namespace {

using namespace brelmoxscc;

CProgressTracker* ShownTracker() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* tracker = dynamic_cast<CProgressTracker*>(widget);
        if (tracker != nullptr && tracker->isVisible()) return tracker;
    }
    return nullptr;
}

// Something besides the background: the texts and the button.
bool HasDrawing(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) != picture.pixel(0, 0)) return true;
        }
    }
    return false;
}

TEST(BusyWindowTest, TheWindowIsServedWhileTheWorkerWorksAndItsCancelStopsIt) {
    if (!dialogtest::HaveApplication()) return;
    const std::unique_ptr<ProviderUi> ui = MakeQtProviderUi();
    BusyRunner runner(*ui);
    const std::thread::id caller = std::this_thread::get_id();

    // Runs only when the calling thread's event loop runs: it looks at the window as the
    // user would and presses Cancel.
    std::string action;
    std::string file;
    bool painted = false;
    bool onCaller = true;
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        onCaller = onCaller && std::this_thread::get_id() == caller;
        CProgressTracker* tracker = ShownTracker();
        if (tracker == nullptr || !action.empty()) return;
        // The window is shown before its texts are set.
        file = FindControl<QLabel>(tracker, CProgressTracker::kIdFile)->text().toStdString();
        if (file == "Static") return;
        action = FindControl<QLabel>(tracker, CProgressTracker::kIdAction)->text().toStdString();
        const QImage picture = tracker->grab().toImage();
        painted = HasDrawing(picture);
        dialogtest::SavePicture(tracker, "CProgressTracker-busy");
        dialogtest::ClickButton(tracker, 2);
    });
    user.start();

    bool cancelled = false;
    runner.Run("Reading the files' status",
               [&] { cancelled = scctest::WorkUntilCancelled(runner); });
    user.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(onCaller);
    EXPECT_EQ(action, "Reading the files' status");
    EXPECT_EQ(file, "big.bin \xE2\x80\x94 12.0 of 256.0 MiB");
    EXPECT_TRUE(painted);
    EXPECT_EQ(ShownTracker(), nullptr);  // gone with the request
}

TEST(BusyWindowTest, AQuickRequestShowsNoWindowAndTheWorkersMessagesWaitForTheCaller) {
    if (!dialogtest::HaveApplication()) return;
    const std::unique_ptr<ProviderUi> ui = MakeQtProviderUi();
    BusyRunner runner(*ui);
    std::thread::id shownOn;
    runner.Run("Reading the files' status",
               [&] { runner.Show([&] { shownOn = std::this_thread::get_id(); }); });
    EXPECT_EQ(shownOn, std::this_thread::get_id());
    EXPECT_EQ(ShownTracker(), nullptr);
}

}  // namespace
