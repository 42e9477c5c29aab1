#include "scc/host/dialog_answerer.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <iostream>

namespace scchost {

namespace {

constexpr int kPollMilliseconds = 20;
// A dialog that keeps coming back (a login the server keeps refusing) is cancelled after
// this many answers within one call, so that no script runs forever.
constexpr int kMostAcceptsPerCall = 3;

// What a dialog shows rather than asks: its list's rows and its read-only fields, by id.
void PrintShownContent(const QDialog& dialog) {
    for (const QTreeWidget* list : dialog.findChildren<QTreeWidget*>()) {
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            std::string line;
            for (int column = 0; column < list->columnCount(); ++column) {
                line += (column == 0 ? "" : " | ") +
                        list->topLevelItem(row)->text(column).toStdString();
            }
            std::cout << "  row: " << line << std::endl;
        }
    }
    for (const QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly()) continue;
        std::cout << "  " << edit->objectName().toStdString() << ": " << edit->text().toStdString()
                  << std::endl;
    }
    for (const QPlainTextEdit* edit : dialog.findChildren<QPlainTextEdit*>()) {
        std::cout << "  " << edit->objectName().toStdString() << ": "
                  << edit->toPlainText().toStdString() << std::endl;
    }
}

}  // namespace

DialogAnswerer::DialogAnswerer(const ScriptedAnswers& answers)
    : accept_(answers.answer == "ok"),
      getVersion_(answers.getVersion),
      cancelProgressIn_(answers.cancelProgressIn) {
    connect(&timer_, &QTimer::timeout, this, [this] { AnswerOpenDialog(); });
    timer_.start(kPollMilliseconds);
}

void DialogAnswerer::AnswerLater(QWidget* window, std::function<void()> answer) {
    answering_ = window;
    QMetaObject::invokeMethod(
        this,
        [this, window = QPointer<QWidget>(window), answer = std::move(answer)] {
            answering_ = nullptr;
            if (window != nullptr) answer();
        },
        Qt::QueuedConnection);
}

void DialogAnswerer::AnswerOpenDialog() {
    if (CancelProgress()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || modal == answering_) return;
    // Each answer is given from the event loop, not from this timer's handler: a handler
    // that opens another modal window (a message box from a dialog's OK) would run its
    // event loop inside the handler, where this timer never fires to answer it.
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        std::cout << "message: " << box->text().toStdString() << std::endl;
        AnswerLater(box, [box] { box->accept(); });
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr) return;
    const bool accept = accept_ && ++answeredThisCall_ <= kMostAcceptsPerCall;
    if (accept && dialog->objectName() == "CHistoryDlg" && !getVersion_.empty() && !gotThisCall_) {
        gotThisCall_ = true;
        if (GetVersion(dialog)) return;
    }
    std::cout << "dialog: " << dialog->objectName().toStdString() << " "
              << (accept ? "OK" : "Cancel") << std::endl;
    PrintShownContent(*dialog);
    auto* button = dialog->findChild<QPushButton*>(accept ? "1" : "2");
    // A dialog without the provider's buttons (the folder picker) is answered itself.
    AnswerLater(dialog, [dialog, button, accept] {
        if (button != nullptr) {
            button->click();
        } else if (accept) {
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
}

bool DialogAnswerer::CancelProgress() {
    if (!cancelThisCall_) return false;
    // The progress window is modeless, so it is never the active modal widget.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() != "CProgressTracker" || !window->isVisible()) continue;
        auto* cancel = window->findChild<QPushButton*>("2");
        if (cancel == nullptr) return false;
        cancelThisCall_ = false;
        std::cout << kProgressCancelled << std::endl;
        AnswerLater(window, [cancel] { cancel->click(); });
        return true;
    }
    return false;
}

bool DialogAnswerer::GetVersion(QDialog* history) {
    auto* list = history->findChild<QTreeWidget*>();
    auto* get = history->findChild<QPushButton*>("1007");
    const QList<QTreeWidgetItem*> rows =
        list == nullptr ? QList<QTreeWidgetItem*>()
                        : list->findItems(QString::fromStdString(getVersion_), Qt::MatchExactly);
    if (rows.isEmpty() || get == nullptr) return false;
    list->setCurrentItem(rows.front());
    std::cout << "dialog: CHistoryDlg Get " << getVersion_ << std::endl;
    PrintShownContent(*history);
    AnswerLater(history, [get] { get->click(); });
    return true;
}

}  // namespace scchost
