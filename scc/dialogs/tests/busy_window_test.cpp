// A request that takes long, on Qt: the calling thread runs its event loop while the worker
// works, so the progress window is painted and its Cancel reaches the request.
#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "scc/busy_runner.h"
#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/progress_tracker.h"
#include "scc/dialogs/qt_provider_ui.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using namespace brelmoxscc;
using namespace std::chrono_literals;

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

    bool gaveUp = false;
    runner.Run("Reading the files' status", [&] {
        runner.SetBytes("big.bin", 12u << 20, 256u << 20);
        // Bounded: without a working Cancel the test fails rather than hangs.
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (!runner.Cancelled() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        gaveUp = !runner.Cancelled();
    });
    user.stop();
    EXPECT_FALSE(gaveUp);
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
