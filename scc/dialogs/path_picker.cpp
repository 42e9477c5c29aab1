#include "scc/dialogs/path_picker.h"

#include <QFileDialog>

#include "scc/messages.h"

namespace brelmoxscc {

QString PickFolder(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

// Programs here have no extension to filter on, so every file is offered.
QString PickProgram(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getOpenFileName(parent, title, start,
                                        QString::fromUtf8(msg::kProgramsFilter));
}

}  // namespace brelmoxscc
