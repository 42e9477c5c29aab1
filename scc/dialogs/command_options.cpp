#include "scc/dialogs/command_options.h"

#include <QPushButton>

#include "scc/dialogs/dialog_layout.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;

constexpr ControlTemplate kControls[] = {
    {DefaultButton, kIdOk, msg::kOk, {339, 7, 50, 14}},
    {Button, kIdCancel, msg::kCancel, {339, 24, 50, 14}},
    {GroupBox, kNoId, msg::kFileComparisonGroup, {7, 7, 320, 72}},
    {Edit, CCommandOptions::kIdCommandLine, "", {17, 56, 248, 14}},
    {Button, CCommandOptions::kIdBrowse, msg::kBrowse, {273, 56, 50, 14}},
    {Text, kNoId, msg::kEnterComparisonCommand, {17, 20, 296, 8}},
    {Text, kNoId, msg::kQuoteProgramPath, {17, 31, 189, 8}},
    {Text, kNoId, msg::kFilesPlaceholder, {17, 42, 189, 8}},
};
constexpr DialogTemplate kDialog = {"CCommandOptions", msg::kOptionsCaption, 396, 86, kControls};

}  // namespace

CCommandOptions::CCommandOptions(const std::string& commandLine, QWidget* parent)
    : QDialog(parent), commandLine_(commandLine) {
    BuildDialog(this, kDialog);
    SetEditText(this, kIdCommandLine, commandLine);
    connect(FindControl<QPushButton>(this, kIdBrowse), &QPushButton::clicked, this,
            &CCommandOptions::Browse);
}

void CCommandOptions::accept() {
    commandLine_ = EditText(this, kIdCommandLine);
    QDialog::accept();
}

// A picked program replaces the whole line, placeholders included, quoted in case its path
// has spaces.
void CCommandOptions::Browse() {
    const QString program = pickFile_(this, QString(), QString());
    if (program.isEmpty()) return;
    SetEditText(this, kIdCommandLine, "\"" + program.toStdString() + "\"");
}

}  // namespace brelmoxscc
