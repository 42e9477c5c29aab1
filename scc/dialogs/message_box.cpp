#include "scc/dialogs/message_box.h"

#include <QMessageBox>

#include "scc/messages.h"

namespace brelmoxscc {

void ShowMessageBox(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(msg::kMessageTitle),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace brelmoxscc
