// CLogin: the organization, user name and password asked for at the start of a session.
#pragma once

#include <QDialog>

#include "scc/provider_ui.h"

namespace brelmoxscc {

class CLogin : public QDialog {
  public:
    static constexpr int kIdOrganization = 1000;
    static constexpr int kIdUsername = 1002;
    static constexpr int kIdPassword = 1003;

    // The edits show values; focus starts on the organization.
    explicit CLogin(const LoginValues& values, QWidget* parent = nullptr);

    // The values given, or what the edits held when OK was pressed.
    const LoginValues& Values() const { return values_; }

    void accept() override;

  private:
    LoginValues values_;
};

}  // namespace brelmoxscc
