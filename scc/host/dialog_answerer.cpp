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
    PrintShownContent(*dialog);
    auto* button = dialog->findChild<QPushButton*>(accept ? "1" : "2");
    if (button != nullptr) {
        button->click();
    } else {
        dialog->reject();
    }
}

}  // namespace scchost
