#include "scc/dialogs/login.h"

#include <QLineEdit>

#include "scc/dialogs/dialog_layout.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;

constexpr ControlTemplate kControls[] = {
    {DefaultButton, kIdOk, msg::kOk, {97, 62, 50, 14}},
    {Button, kIdCancel, msg::kCancel, {156, 62, 50, 14}},
    {Edit, CLogin::kIdOrganization, "", {70, 7, 136, 14}},
    {RightText, kNoId, msg::kOrganizationLabel, {7, 11, 59, 10}},
    {Edit, CLogin::kIdUsername, "", {70, 24, 136, 14}},
    {PasswordEdit, CLogin::kIdPassword, "", {70, 41, 136, 14}},
    {RightText, kNoId, msg::kPasswordLabel, {7, 45, 59, 10}},
    {RightText, kNoId, msg::kUsernameLabel, {7, 28, 59, 10}},
};
constexpr DialogTemplate kDialog = {"CLogin", msg::kLoginCaption, 213, 83, kControls};

}  // namespace

CLogin::CLogin(const LoginValues& values, QWidget* parent) : QDialog(parent), values_(values) {
    BuildDialog(this, kDialog);
    SetEditText(this, kIdOrganization, values.organization);
    SetEditText(this, kIdUsername, values.username);
    SetEditText(this, kIdPassword, values.password);
    FindControl<QLineEdit>(this, kIdOrganization)->setFocus();
}

void CLogin::accept() {
    values_.organization = EditText(this, kIdOrganization);
    values_.username = EditText(this, kIdUsername);
    values_.password = EditText(this, kIdPassword);
    QDialog::accept();
}

}  // namespace brelmoxscc
