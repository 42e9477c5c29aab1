// CProgressTracker: a modeless window, centred, whose texts follow the add, and whose Cancel
// tells the caller to stop.
#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest/QTest>
#include <functional>

#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/progress_tracker.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using brelmoxscc::CProgressTracker;
using brelmoxscc::FindControl;

std::string StaticText(const CProgressTracker& window, int id) {
    return FindControl<QLabel>(&window, id)->text().toStdString();
}

TEST(ProgressTrackerTest, OpensModelessAndCentredThenShowsEachText) {
    if (!dialogtest::HaveApplication()) return;
    CProgressTracker window;
    window.Open();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.windowTitle().toStdString(), "");
    const QPoint screenCentre = window.screen()->availableGeometry().center();
    EXPECT_LE((window.frameGeometry().center() - screenCentre).manhattanLength(), 1);
    EXPECT_EQ(StaticText(window, CProgressTracker::kIdAction), "Static");
    EXPECT_EQ(StaticText(window, CProgressTracker::kIdFile), "Static");

    window.SetAction("Adding files");
    window.SetFile("/home/alice/work/shop/src/checkout/payment_form.cpp");
    EXPECT_EQ(StaticText(window, CProgressTracker::kIdAction), "Adding files");
    EXPECT_EQ(StaticText(window, CProgressTracker::kIdFile),
              "/home/alice/work/shop/src/checkout/payment_form.cpp");
    EXPECT_FALSE(window.CancelRequested());
    dialogtest::SavePicture(&window, "CProgressTracker");
}

TEST(ProgressTrackerTest, EveryWayOfCancellingHidesTheWindowAndStopsTheCaller) {
    if (!dialogtest::HaveApplication()) return;
    const std::pair<const char*, std::function<void(CProgressTracker&)>> ways[] = {
        {"Cancel button", [](CProgressTracker& w) { dialogtest::ClickButton(&w, 2); }},
        {"Escape key", [](CProgressTracker& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"window closed", [](CProgressTracker& w) { w.close(); }},
    };
    for (const auto& [name, cancel] : ways) {
        SCOPED_TRACE(name);
        CProgressTracker window;
        window.Open();
        window.SetAction("Adding files");
        cancel(window);
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(window.CancelRequested());
        // Later updates of a caller that has not looked yet change nothing for the user.
        window.SetFile("/home/alice/work/shop/README.md");
        EXPECT_FALSE(window.isVisible());
    }
}

}  // namespace
