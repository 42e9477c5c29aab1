// CHistoryDlg: the versions newest on top, and what Get asks and fetches.
#include <gtest/gtest.h>
#include <QHeaderView>
#include <QTreeWidget>
#include <utility>

#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/history_dialog.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using brelmox::CFileVersion;
using brelmoxscc::CHistoryDlg;
using brelmoxscc::FindControl;
using Fetches = std::vector<std::pair<std::string, std::string>>;

CFileVersion Version(const char* number, const char* status, const char* date, const char* user,
                     const char* description) {
    CFileVersion version;
    version.m_strVersion = number;
    version.m_strStatus = status;
    version.m_strDate = date;
    version.m_strUser = user;
    version.m_strDescription = description;
    return version;
}

// In the order received.
const std::vector<CFileVersion> kReceived = {
    Version("1", "Checked In", "2024-03-04 09:12:41", "alice", "First import of the checkout"),
    Version("2", "Checked In", "2024-03-11 16:05:03", "bob", "Round VAT per line, not per order"),
    Version("3", "Checked Out", "2024-04-02 11:47:19", "alice", "Gift cards at the till"),
};
const char* const kViewPath = "src\\main.c";
const char* const kLocalPath = "/home/alice/shop/src/main.c";

QTreeWidget* List(const CHistoryDlg& dialog) {
    return FindControl<QTreeWidget>(&dialog, CHistoryDlg::kIdVersions);
}

std::vector<std::string> Row(const QTreeWidgetItem* item) {
    std::vector<std::string> texts;
    for (int column = 0; column < item->columnCount(); ++column) {
        texts.push_back(item->text(column).toStdString());
    }
    return texts;
}

TEST(HistoryDialogTest, ListsTheLastReceivedOnTopAndSelected) {
    if (!dialogtest::HaveApplication()) return;
    CHistoryDlg dialog(kViewPath, kLocalPath, kReceived, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Versions of src\\main.c");
    const QTreeWidget* list = List(dialog);
    const std::pair<const char*, int> columns[] = {{"Version", 50},
                                                   {"Status", 100},
                                                   {"Date Created", 100},
                                                   {"Created By", 100},
                                                   {"Description", 250}};
    ASSERT_EQ(list->columnCount(), 5);
    for (int column = 0; const auto& [header, width] : columns) {
        EXPECT_EQ(list->headerItem()->text(column).toStdString(), header);
        EXPECT_EQ(list->columnWidth(column++), width) << header;
    }
    EXPECT_TRUE(list->header()->sectionsMovable());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);

    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(Row(list->topLevelItem(0)),
              (std::vector<std::string>{"3", "Checked Out", "2024-04-02 11:47:19", "alice",
                                        "Gift cards at the till"}));
    EXPECT_EQ(list->topLevelItem(1)->text(0), "2");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "1");
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front(), list->topLevelItem(0));
    dialogtest::SavePicture(&dialog, "CHistoryDlg");
}

TEST(HistoryDialogTest, GetFetchesTheSelectedVersionIntoThePickedFolder) {
    if (!dialogtest::HaveApplication()) return;
    struct Case {
        const char* name;
        std::vector<CFileVersion> versions;
        const char* selected;  // null: no row selected
        std::string answer;    // empty: the picker is cancelled
        size_t pickerCalls;
        Fetches fetches;
    };
    const Case cases[] = {
        {"version 2 into a folder", kReceived, "2", "/tmp/old", 1, {{"2", "/tmp/old"}}},
        {"picker cancelled", kReceived, "2", "", 1, {}},
        {"nothing selected", kReceived, nullptr, "/tmp/old", 0, {}},
        {"no versions", {}, nullptr, "/tmp/old", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fetches fetches;
        CHistoryDlg dialog(kViewPath, kLocalPath, c.versions,
                           [&fetches](const std::string& version, const std::string& folder) {
                               fetches.emplace_back(version, folder);
                           });
        std::vector<dialogtest::PickerCall> picks;
        dialog.SetFolderPicker(dialogtest::PickerAnswering(c.answer, &picks));
        dialog.show();
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Versions of src\\main.c");
        List(dialog)->clearSelection();
        if (c.selected != nullptr) {
            const auto found = List(dialog)->findItems(c.selected, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            List(dialog)->setCurrentItem(found.front());
        }
        dialogtest::ClickButton(&dialog, CHistoryDlg::kIdGet);
        ASSERT_EQ(picks.size(), c.pickerCalls);
        for (const dialogtest::PickerCall& pick : picks) {
            EXPECT_EQ(pick.title, "Select the directory where the file will be saved");
            EXPECT_EQ(pick.start, "/home/alice/shop/src");
        }
        EXPECT_EQ(fetches, c.fetches);
        EXPECT_TRUE(dialog.isVisible());
    }
}

}  // namespace
