#include "scc/dialogs/history_dialog.h"

#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "common/format.h"
#include "scc/dialogs/dialog_layout.h"
#include "scc/history_columns.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;
using brelmox::CFileVersion;

constexpr ControlTemplate kControls[] = {
    {ReportList, CHistoryDlg::kIdVersions, "", {7, 7, 387, 109}},
    {Button, CHistoryDlg::kIdGet, msg::kGet, {286, 124, 50, 14}},
    {DefaultButton, kIdOk, msg::kClose, {344, 124, 50, 14}},
};
constexpr DialogTemplate kDialog = {"CHistoryDlg", msg::kHistoryCaption, 401, 145,
                                    kControls,     /*resizable=*/true};

QTreeWidgetItem* MakeRow(const CFileVersion& version) {
    auto* row = new QTreeWidgetItem;
    for (int column = 0; const HistoryColumn& shown : kHistoryColumns) {
        row->setText(column++, QString::fromStdString(version.*shown.field));
    }
    return row;
}

}  // namespace

CHistoryDlg::CHistoryDlg(const std::string& viewPath, const std::string& localPath,
                         const std::vector<CFileVersion>& versions, VersionFetcher fetch,
                         QWidget* parent)
    : QDialog(parent), localPath_(localPath), fetch_(std::move(fetch)) {
    BuildDialog(this, kDialog);
    auto* list = FindControl<QTreeWidget>(this, kIdVersions);
    QStringList headers;
    for (const HistoryColumn& column : kHistoryColumns) headers << QString::fromUtf8(column.header);
    list->setHeaderLabels(headers);
    for (int column = 0; const HistoryColumn& shown : kHistoryColumns)
        list->setColumnWidth(column++, shown.pixels);
    for (const CFileVersion& version : versions) list->insertTopLevelItem(0, MakeRow(version));
    if (list->topLevelItemCount() > 0) list->setCurrentItem(list->topLevelItem(0));
    setWindowTitle(
        QString::fromStdString(brelmox::FormatMessage(msg::kVersionsOfFormat, viewPath)));
    connect(FindControl<QPushButton>(this, kIdGet), &QPushButton::clicked, this,
            &CHistoryDlg::FetchSelected);
}

void CHistoryDlg::FetchSelected() {
    const QList<QTreeWidgetItem*> selected =
        FindControl<QTreeWidget>(this, kIdVersions)->selectedItems();
    if (selected.isEmpty()) return;
    const std::string version = selected.back()->text(0).toStdString();
    const std::string start = std::filesystem::path(localPath_).parent_path().string();
    const QString folder =
        pickFolder_(this, QString::fromUtf8(msg::kSelectSaveFolder), QString::fromStdString(start));
    if (folder.isEmpty() || !fetch_) return;
    fetch_(version, folder.toStdString());
}

}  // namespace brelmoxscc
