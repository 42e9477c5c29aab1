#include "scc/dialogs/login.h"

#include <QLineEdit>

#include "scc/dialogs/dialog_layout.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;

constexpr ControlSpec kControls[] = {
    {DefaultButton, kIdOk, msg::kOk, {97, 62, 50, 14}},
    {Button, kIdCancel, msg::kCancel, {156, 62, 50, 14}},
    {Edit, CLogin::kIdOrganization, "", {70, 7, 136, 14}},
    {RightText, kNoId, msg::kOrganizationLabel, {7, 11, 59, 10}},
    {Edit, CLogin::kIdUsername, "", {70, 24, 136, 14}},
    {PasswordEdit, CLogin::kIdPassword, "", {70, 41, 136, 14}},
    {RightText, kNoId, msg::kPasswordLabel, {7, 45, 59, 10}},
    {RightText, kNoId, msg::kUsernameLabel, {7, 28, 59, 10}},
};
constexpr DialogSpec kDialog = {"CLogin", msg::kLoginCaption, 213, 83, kControls};

QLineEdit* EditOf(const QWidget* dialog, int id) {
    return FindControl<QLineEdit>(dialog, id);
}

}  // namespace

CLogin::CLogin(const LoginValues& values, QWidget* parent) : QDialog(parent), values_(values) {
    BuildDialog(this, kDialog);
    EditOf(this, kIdOrganization)->setText(QString::fromStdString(values.organization));
    EditOf(this, kIdUsername)->setText(QString::fromStdString(values.username));
    EditOf(this, kIdPassword)->setText(QString::fromStdString(values.password));
    EditOf(this, kIdOrganization)->setFocus();
}

void CLogin::accept() {
    values_.organization = EditOf(this, kIdOrganization)->text().toStdString();
    values_.username = EditOf(this, kIdUsername)->text().toStdString();
    values_.password = EditOf(this, kIdPassword)->text().toStdString();
    QDialog::accept();
}

}  // namespace brelmoxscc
