#include "scc/win32_dialogs/properties_dialog.h"

#include <string>

#include "scc/win32_dialogs/dialog_ids.h"

namespace brelmoxscc {
namespace {

using brelmox::CFileVersion;

struct Field {
    int id;
    std::string CFileVersion::*value;
};

constexpr Field kFields[] = {
    {IDC_FILE_NAME, &CFileVersion::m_strFileName},
    {IDC_VERSION, &CFileVersion::m_strVersion},
    {IDC_STATUS, &CFileVersion::m_strStatus},
    {IDC_CREATED_BY, &CFileVersion::m_strUser},
    {IDC_CREATION_DATE, &CFileVersion::m_strDate},
    {IDC_DESCRIPTION, &CFileVersion::m_strDescription},
};

}  // namespace

CSCCPropertiesDlg::CSCCPropertiesDlg(HINSTANCE resources, const CFileVersion& record)
    : TemplateDialog(resources, IDD_PROPERTIES), record_(record) {}

bool CSCCPropertiesDlg::OnInit() {
    for (const Field& field : kFields) SetItemText(field.id, record_.*field.value);
    return true;
}

}  // namespace brelmoxscc
