#include "scc/dialogs/progress_tracker.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>

#include "scc/dialogs/dialog_layout.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;

constexpr ControlTemplate kControls[] = {
    {Button, kIdCancel, msg::kCancel, {201, 7, 50, 14}},
    {Text, CProgressTracker::kIdAction, msg::kStaticPlaceholder, {7, 7, 183, 17}},
    {Text, CProgressTracker::kIdFile, msg::kStaticPlaceholder, {7, 38, 231, 17}},
};
constexpr DialogTemplate kDialog = {"CProgressTracker", msg::kProgressCaption, 258, 73, kControls};

}  // namespace

CProgressTracker::CProgressTracker(QWidget* parent) : QDialog(parent) {
    BuildDialog(this, kDialog);
}

void CProgressTracker::Open() {
    // Shown first, so that the frame the window system adds is known and centred too.
    show();
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QCoreApplication::processEvents();
}

void CProgressTracker::SetAction(const std::string& text) {
    SetStaticText(kIdAction, text);
}

void CProgressTracker::SetFile(const std::string& path) {
    SetStaticText(kIdFile, path);
}

void CProgressTracker::reject() {
    cancelRequested_ = true;
    hide();
}

// The caller works on this thread between updates, so each one gives the window a single
// turn of the event loop to paint; draining the queue would also run the user's input.
void CProgressTracker::SetStaticText(int id, const std::string& text) {
    FindControl<QLabel>(this, id)->setText(QString::fromStdString(text));
    QCoreApplication::processEvents();
}

}  // namespace brelmoxscc
