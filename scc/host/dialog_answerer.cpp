#include "scc/host/dialog_answerer.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <iostream>

namespace scchost {

namespace {

constexpr int kPollMilliseconds = 20;
// A dialog that keeps coming back (a login the server keeps refusing) is cancelled after
// this many answers within one call, so that no script runs forever.
constexpr int kMostAcceptsPerCall = 3;

}  // namespace

DialogAnswerer::DialogAnswerer(bool accept) : accept_(accept) {
    connect(&timer_, &QTimer::timeout, this, [this] { AnswerOpenDialog(); });
    timer_.start(kPollMilliseconds);
}

void DialogAnswerer::AnswerOpenDialog() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        std::cout << "message: " << box->text().toStdString() << std::endl;
        box->accept();
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr) return;
    const bool accept = accept_ && ++answeredThisCall_ <= kMostAcceptsPerCall;
    std::cout << "dialog: " << dialog->objectName().toStdString() << " "
              << (accept ? "OK" : "Cancel") << std::endl;
    auto* button = dialog->findChild<QPushButton*>(accept ? "1" : "2");
    if (button != nullptr) {
        button->click();
    } else {
        dialog->reject();
    }
}

}  // namespace scchost
