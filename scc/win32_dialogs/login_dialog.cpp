#include "scc/win32_dialogs/login_dialog.h"

#include "scc/win32_dialogs/dialog_ids.h"

namespace brelmoxscc {

CLogin::CLogin(HINSTANCE resources, const LoginValues& values)
    : TemplateDialog(resources, IDD_LOGIN), values_(values) {}

bool CLogin::OnInit() {
    SetItemText(IDC_ORGANIZATION, values_.organization);
    SetItemText(IDC_USERNAME, values_.username);
    SetItemText(IDC_PASSWORD, values_.password);
    SetFocus(Item(IDC_ORGANIZATION));
    return false;
}

void CLogin::OnCommand(int id, int notification) {
    if (id == IDOK) {
        values_.organization = ItemText(IDC_ORGANIZATION);
        values_.username = ItemText(IDC_USERNAME);
        values_.password = ItemText(IDC_PASSWORD);
    }
    TemplateDialog::OnCommand(id, notification);
}

}  // namespace brelmoxscc
