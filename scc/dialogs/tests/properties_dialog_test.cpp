// CSCCPropertiesDlg: the record's six fields, none of them editable.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <chrono>
#include <iostream>

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

// A description of 1 MiB without a blank, which a server may hold, shows at once: the box
// lays out its first 64 KiB only, and breaks lines anywhere, where a break at a word
// boundary would search each line's rest of the text for one (minutes for this text).
TEST(PropertiesDialogTest, AHugeDescriptionWithoutBlanksShowsAtOnce) {
    if (!dialogtest::HaveApplication()) return;
    CFileVersion record;
    record.m_strFileName = "src\\main.c";
    record.m_strDescription = std::string(size_t{1} << 20, 'x');
    const auto start = std::chrono::steady_clock::now();
    CSCCPropertiesDlg dialog(record);
    dialog.show();
    dialog.grab();  // lays the text out and paints it
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << "1 MiB description without blanks shown in " << took.count() << " s\n";

    const auto* box = brelmoxscc::FindControl<QPlainTextEdit>(&dialog, Dlg::kIdDescription);
    EXPECT_EQ(box->wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(brelmoxscc::EditText(&dialog, Dlg::kIdDescription),
              std::string(65536, 'x') + "\n[983040 more bytes are not shown.]");
    EXPECT_LT(took.count(), 5.0);  // generous for a loaded machine; before: minutes

    // The cut never splits a character: a two-byte one across the limit goes whole.
    record.m_strDescription = std::string(65535, 'x') + "\xc3\xa9" + std::string(9, 'y');
    CSCCPropertiesDlg accented(record);
    EXPECT_EQ(brelmoxscc::EditText(&accented, Dlg::kIdDescription),
              std::string(65535, 'x') + "\n[11 more bytes are not shown.]");

    // Text with words still breaks between them.
    record.m_strDescription = std::string(150, 'w') + " and words";
    CSCCPropertiesDlg worded(record);
    EXPECT_EQ(brelmoxscc::FindControl<QPlainTextEdit>(&worded, Dlg::kIdDescription)->wordWrapMode(),
              QTextOption::WrapAtWordBoundaryOrAnywhere);
}

}  // namespace
