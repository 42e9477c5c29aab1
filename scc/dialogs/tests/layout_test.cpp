// Every dialog's name, caption and controls where their templates put them, each control findable
// by its id, and every text readable in full at the application's font.
#include <gtest/gtest.h>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>

#include "scc/dialogs/command_options.h"
#include "scc/dialogs/history_dialog.h"
#include "scc/dialogs/login.h"
#include "scc/dialogs/progress_tracker.h"
#include "scc/dialogs/properties_dialog.h"
#include "scc/dialogs/select_project.h"
#include "scc/dialogs/set_project.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using namespace brelmoxscc;

struct Placement {
    const char* name;  // the id in decimal; "" for a static without id
    const char* text;
    int x, y, width, height;
};

struct DialogCase {
    std::function<std::unique_ptr<QDialog>()> make;
    const char* className;
    const char* caption;
    int width, height;
    std::vector<Placement> controls;
};

const ProjectLister kNoProjects = dialogtest::ListerOf({});

const DialogCase kDialogs[] = {
    {[] { return std::make_unique<CLogin>(LoginValues{}); },
     "CLogin",
     "Brelmox Login",
     213,
     83,
     {{"1", "OK", 97, 62, 50, 14},
      {"2", "Cancel", 156, 62, 50, 14},
      {"1000", "", 70, 7, 136, 14},
      {"", "Organization:", 7, 11, 59, 10},
      {"1002", "", 70, 24, 136, 14},
      {"1003", "", 70, 41, 136, 14},
      {"", "Password:", 7, 45, 59, 10},
      {"", "Username:", 7, 28, 59, 10}}},
    {[] { return std::make_unique<CSelectProject>(kNoProjects); },
     "CSelectProject",
     "Brelmox Select Project",
     234,
     142,
     {{"1", "OK", 177, 7, 50, 14},
      {"2", "Cancel", 177, 24, 50, 14},
      {"1002", "", 7, 73, 220, 62},
      {"", "New Project Description:", 7, 35, 109, 8},
      {"", "Add New Project:", 7, 7, 109, 8},
      {"1003", "", 7, 17, 160, 15},
      {"", "Select Existing Project:", 7, 63, 109, 8},
      {"1004", "", 7, 45, 220, 15}}},
    {[] { return std::make_unique<CSetProject>(kNoProjects, ""); },
     "CSetProject",
     "Brelmox Set Project",
     273,
     174,
     {{"1", "OK", 216, 7, 50, 14},
      {"2", "Cancel", 216, 24, 50, 14},
      {"1002", "", 7, 104, 259, 62},
      {"", "Project Description:", 7, 66, 109, 8},
      {"", "Create Project:", 7, 38, 109, 8},
      {"1003", "", 7, 48, 160, 15},
      {"", "Select Existing Project:", 7, 94, 109, 8},
      {"1004", "", 7, 76, 259, 15},
      {"",
       "There is no Brelmox project in the Repository for the project you are opening.  Click "
       "OK to create it or select an existing project and click OK.",
       7, 7, 204, 25}}},
    {[] { return std::make_unique<CProgressTracker>(); },
     "CProgressTracker",
     "",
     258,
     73,
     {{"2", "Cancel", 201, 7, 50, 14},
      {"1004", "Static", 7, 7, 183, 17},
      {"1005", "Static", 7, 38, 231, 17}}},
    {[] {
         return std::make_unique<CHistoryDlg>("", "", std::vector<brelmox::CFileVersion>{},
                                              nullptr);
     },
     "CHistoryDlg",
     "Versions of ",
     401,
     145,
     {{"1006", "", 7, 7, 387, 109},
      {"1007", "Get", 286, 124, 50, 14},
      {"1", "Close", 344, 124, 50, 14}}},
    {[] { return std::make_unique<CSCCPropertiesDlg>(brelmox::CFileVersion()); },
     "CSCCPropertiesDlg",
     "SCC Properties",
     217,
     179,
     {{"1", "OK", 73, 158, 50, 14},
      {"2", "Cancel", 160, 158, 50, 14},
      {"1010", "", 63, 18, 147, 14},
      {"", "Filename:", 6, 21, 55, 8},
      {"1011", "", 63, 36, 147, 14},
      {"", "Version:", 6, 39, 55, 8},
      {"1012", "", 63, 54, 147, 14},
      {"", "Status:", 6, 57, 55, 8},
      {"1020", "", 63, 72, 147, 14},
      {"", "Created by:", 6, 75, 55, 8},
      {"1014", "", 63, 90, 147, 14},
      {"", "Creation Date:", 6, 93, 55, 8},
      {"1015", "", 63, 111, 147, 36},
      {"", "Description:", 6, 114, 55, 8}}},
    {[] { return std::make_unique<CCommandOptions>(""); },
     "CCommandOptions",
     "Brelmox Options",
     396,
     86,
     {{"1", "OK", 339, 7, 50, 14},
      {"2", "Cancel", 339, 24, 50, 14},
      {"", "File Comparison Utility", 7, 7, 320, 72},
      {"1008", "", 17, 56, 248, 14},
      {"1009", "Browse", 273, 56, 50, 14},
      {"", "Enter command line to invoke file comparison utility.", 17, 20, 296, 8},
      {"", "Enclose program in quotes if path has spaces.", 17, 31, 189, 8},
      {"", "Use '%s' to indicate position of files to compare.", 17, 42, 189, 8}}},
};

// A horizontal unit is a quarter of the alphabet's mean advance, a vertical unit an eighth
// of the line height; one pixel of rounding either way is allowed.
void ExpectAtUnits(const QRect& actual, const QFont& font, int x, int y, int width, int height,
                   const std::string& what) {
    const QFontMetricsF metrics(font);
    const double unitX = metrics.horizontalAdvance(QStringLiteral(
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                         52 / 4;
    const double unitY = metrics.height() / 8;
    EXPECT_NEAR(actual.x(), x * unitX, 1) << what;
    EXPECT_NEAR(actual.y(), y * unitY, 1) << what;
    EXPECT_NEAR(actual.width(), width * unitX, 1) << what;
    EXPECT_NEAR(actual.height(), height * unitY, 1) << what;
}

// The text a static or group box shows.
QString FixedText(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    return QString();
}

// The control of the placement: by its name, or for a static or group box without id
// (which must have no name) by its text.
QWidget* ControlOf(const QDialog& dialog, const Placement& placement) {
    if (*placement.name != '\0') {
        return dialog.findChild<QWidget*>(placement.name, Qt::FindDirectChildrenOnly);
    }
    for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->objectName().isEmpty() && FixedText(control) == placement.text) {
            return control;
        }
    }
    return nullptr;
}

TEST(DialogLayoutTest, EachDialogHasItsNameCaptionAndPlaces) {
    if (!dialogtest::HaveApplication()) return;
    for (const DialogCase& expected : kDialogs) {
        SCOPED_TRACE(expected.className);
        const std::unique_ptr<QDialog> dialog = expected.make();
        EXPECT_EQ(dialog->objectName().toStdString(), expected.className);
        EXPECT_EQ(dialog->windowTitle().toStdString(), expected.caption);
        ExpectAtUnits(QRect(QPoint(), dialog->size()), dialog->font(), 0, 0, expected.width,
                      expected.height, "dialog size");
        EXPECT_EQ(dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(),
                  expected.controls.size());
        for (const Placement& placement : expected.controls) {
            const std::string what = std::string(placement.name) + " " + placement.text;
            const QWidget* control = ControlOf(*dialog, placement);
            ASSERT_NE(control, nullptr) << "missing control " << what;
            ExpectAtUnits(control->geometry(), dialog->font(), placement.x, placement.y,
                          placement.width, placement.height, what);
            if (control->inherits("QLabel") || control->inherits("QGroupBox")) {
                EXPECT_EQ(FixedText(control).toStdString(), placement.text);
            }
            if (const auto* button = qobject_cast<const QPushButton*>(control)) {
                EXPECT_EQ(button->text().toStdString(), placement.text);
                EXPECT_EQ(button->isDefault(), button->objectName() == "1");
            }
        }
    }
}

// Clipped labels are the usual fault of fixed layouts when the font is not the one the
// layout was drawn for.
TEST(DialogLayoutTest, EveryTextFitsItsControl) {
    if (!dialogtest::HaveApplication()) return;
    for (const DialogCase& expected : kDialogs) {
        SCOPED_TRACE(expected.className);
        const std::unique_ptr<QDialog> dialog = expected.make();
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height())
                << "text cut off: " << label->text().toStdString();
        }
        for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
            EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width())
                << "button text cut off: " << button->text().toStdString();
        }
    }
}

}  // namespace
