#include "scc/dialogs/message_box.h"

#include <QMessageBox>

#include "scc/dialogs/dialog_texts.h"

namespace brelmoxscc {

void ShowMessageBox(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(text::kMessageTitle),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace brelmoxscc
