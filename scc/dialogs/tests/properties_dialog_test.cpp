// CSCCPropertiesDlg: the record's six fields, none of them editable.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/properties_dialog.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using brelmox::CFileVersion;
using brelmoxscc::CSCCPropertiesDlg;
using Dlg = CSCCPropertiesDlg;

bool ReadOnly(const QWidget* dialog, int id) {
    if (const auto* edit = brelmoxscc::FindControl<QLineEdit>(dialog, id)) {
        return edit->isReadOnly();
    }
    return brelmoxscc::FindControl<QPlainTextEdit>(dialog, id)->isReadOnly();
}

TEST(PropertiesDialogTest, ShowsEachFieldOfTheRecordReadOnly) {
    if (!dialogtest::HaveApplication()) return;
    CFileVersion full;
    full.m_strFileName = "src\\checkout\\payment_form.cpp";
    full.m_strVersion = "7";
    full.m_strStatus = "Checked In";
    full.m_strLabel = "release-2.1";
    full.m_strDate = "2024-04-02 11:47:19";
    full.m_strUser = "alice";
    full.m_strDescription = "Gift cards at the till.\nRefunds go back to the card.";
    // What a failed request leaves: the view path alone.
    CFileVersion failed;
    failed.m_strFileName = "src\\main.c";

    for (const CFileVersion* shownRecord : {&full, &failed}) {
        const CFileVersion& record = *shownRecord;
        SCOPED_TRACE(record.m_strFileName);
        CSCCPropertiesDlg dialog(record);
        dialog.show();
        const std::pair<int, const std::string*> shown[] = {
            {Dlg::kIdFileName, &record.m_strFileName},
            {Dlg::kIdVersion, &record.m_strVersion},
            {Dlg::kIdStatus, &record.m_strStatus},
            {Dlg::kIdCreatedBy, &record.m_strUser},
            {Dlg::kIdCreationDate, &record.m_strDate},
            {Dlg::kIdDescription, &record.m_strDescription},
        };
        for (const auto& [id, text] : shown) {
            EXPECT_EQ(brelmoxscc::EditText(&dialog, id), *text) << id;
            EXPECT_TRUE(ReadOnly(&dialog, id)) << id;
        }
        if (shownRecord == &full) dialogtest::SavePicture(&dialog, "CSCCPropertiesDlg");
    }
}

}  // namespace
