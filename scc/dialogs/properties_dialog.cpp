#include "scc/dialogs/properties_dialog.h"

#include <string>

#include "scc/dialogs/dialog_layout.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;
using brelmox::CFileVersion;
using Dlg = CSCCPropertiesDlg;

// Each label sits at the height of its edit's text.
constexpr ControlTemplate kControls[] = {
    {DefaultButton, kIdOk, msg::kOk, {73, 158, 50, 14}},
    {Button, kIdCancel, msg::kCancel, {160, 158, 50, 14}},
    {ReadOnlyEdit, Dlg::kIdFileName, "", {63, 18, 147, 14}},
    {Text, kNoId, msg::kFilenameLabel, {6, 21, 55, 8}},
    {ReadOnlyEdit, Dlg::kIdVersion, "", {63, 36, 147, 14}},
    {Text, kNoId, msg::kVersionLabel, {6, 39, 55, 8}},
    {ReadOnlyEdit, Dlg::kIdStatus, "", {63, 54, 147, 14}},
    {Text, kNoId, msg::kStatusLabel, {6, 57, 55, 8}},
    {ReadOnlyEdit, Dlg::kIdCreatedBy, "", {63, 72, 147, 14}},
    {Text, kNoId, msg::kCreatedByLabel, {6, 75, 55, 8}},
    {ReadOnlyEdit, Dlg::kIdCreationDate, "", {63, 90, 147, 14}},
    {Text, kNoId, msg::kCreationDateLabel, {6, 93, 55, 8}},
    {ReadOnlyTextBox, Dlg::kIdDescription, "", {63, 111, 147, 36}},
    {Text, kNoId, msg::kDescriptionLabel, {6, 114, 55, 8}},
};
constexpr DialogTemplate kDialog = {"CSCCPropertiesDlg", msg::kPropertiesCaption, 217, 179,
                                    kControls};

struct Field {
    int id;
    std::string CFileVersion::*value;
};

constexpr Field kFields[] = {
    {Dlg::kIdFileName, &CFileVersion::m_strFileName},
    {Dlg::kIdVersion, &CFileVersion::m_strVersion},
    {Dlg::kIdStatus, &CFileVersion::m_strStatus},
    {Dlg::kIdCreatedBy, &CFileVersion::m_strUser},
    {Dlg::kIdCreationDate, &CFileVersion::m_strDate},
    {Dlg::kIdDescription, &CFileVersion::m_strDescription},
};

}  // namespace

CSCCPropertiesDlg::CSCCPropertiesDlg(const CFileVersion& record, QWidget* parent)
    : QDialog(parent) {
    BuildDialog(this, kDialog);
    for (const Field& field : kFields) SetEditText(this, field.id, record.*field.value);
}

}  // namespace brelmoxscc
