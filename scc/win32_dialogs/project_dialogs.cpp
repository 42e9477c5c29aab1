#include "scc/win32_dialogs/project_dialogs.h"

#include "platform/windows/utf16.h"
#include "scc/messages.h"
#include "scc/win32_dialogs/dialog_ids.h"

namespace brelmoxscc {

ProjectDialog::ProjectDialog(HINSTANCE resources, int templateId, const ProjectLister& lister,
                             const std::string& newName, bool selectFirst)
    : TemplateDialog(resources, templateId),
      lister_(lister),
      newName_(newName),
      selectFirst_(selectFirst) {}

// The list box sorts the names whatever order the server sent, without regard to case.
bool ProjectDialog::OnInit() {
    const HWND list = Item(IDC_PROJECT_LIST);
    if (lister_) {
        for (const std::string& name : lister_()) {
            SendMessageW(list, LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(platform::Utf16(name).c_str()));
        }
    }
    SetItemText(IDC_PROJECT_NAME, newName_);
    if (selectFirst_) SendMessageW(list, LB_SETCURSEL, 0, 0);
    return true;
}

std::string ProjectDialog::SelectedProject() const {
    const HWND list = Item(IDC_PROJECT_LIST);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return {};
    std::wstring name(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    name.resize(static_cast<size_t>(
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()))));
    return platform::Utf8(name);
}

void ProjectDialog::OnCommand(int id, int notification) {
    if (id == IDOK) {
        std::string chosen = ItemText(IDC_PROJECT_NAME);
        if (chosen.empty()) chosen = SelectedProject();
        if (chosen.empty()) return ShowMessageBox(Window(), msg::kEnterProject);
        chosen_ = chosen;
        description_ = ItemText(IDC_PROJECT_DESCRIPTION);
    }
    TemplateDialog::OnCommand(id, notification);
}

CSelectProject::CSelectProject(HINSTANCE resources, const ProjectLister& lister)
    : ProjectDialog(resources, IDD_SELECT_PROJECT, lister, "", false) {}

CSetProject::CSetProject(HINSTANCE resources, const ProjectLister& lister,
                         const std::string& newName)
    : ProjectDialog(resources, IDD_SET_PROJECT, lister, newName, true) {}

}  // namespace brelmoxscc
