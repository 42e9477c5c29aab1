// The provider's one kind of message box: modal, titled "Brelmox", with an OK button.
#pragma once

#include <QWidget>
#include <string>

namespace brelmoxscc {

// Returns when the user has closed the box.
void ShowMessageBox(QWidget* parent, const std::string& text);

}  // namespace brelmoxscc
