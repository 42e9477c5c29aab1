// The file dialogs that ask the user for a path, replaceable so that tests can answer them.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace brelmoxscc {

// The chosen path, or an empty string when the user cancelled.
using PathPicker =
    std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

// Qt's folder dialog, showing folders only, opening on start.
QString PickFolder(QWidget* parent, const QString& title, const QString& start);

// Qt's file-open dialog for a program, opening on start.
QString PickProgram(QWidget* parent, const QString& title, const QString& start);

}  // namespace brelmoxscc
