#include "scc/win32_dialogs/options_dialog.h"

#include "scc/win32_dialogs/dialog_ids.h"
#include "scc/win32_dialogs/pickers.h"

namespace brelmoxscc {

CCommandOptions::CCommandOptions(HINSTANCE resources, const std::string& commandLine)
    : TemplateDialog(resources, IDD_OPTIONS), commandLine_(commandLine) {}

bool CCommandOptions::OnInit() {
    SetItemText(IDC_COMMAND_LINE, commandLine_);
    return true;
}

// A picked program replaces the whole line, placeholders included, quoted in case its path
// has spaces.
void CCommandOptions::OnCommand(int id, int notification) {
    if (id == IDC_BROWSE) {
        const std::string program = PickProgram(Window());
        if (!program.empty()) SetItemText(IDC_COMMAND_LINE, "\"" + program + "\"");
        return;
    }
    if (id == IDOK) commandLine_ = ItemText(IDC_COMMAND_LINE);
    TemplateDialog::OnCommand(id, notification);
}

}  // namespace brelmoxscc
