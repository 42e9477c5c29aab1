#include "scc/dialogs/project_dialog.h"

#include <QLineEdit>
#include <QListWidget>

#include "scc/dialogs/message_box.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

// Project names sort as a user reads them, without regard to case.
class ProjectItem : public QListWidgetItem {
  public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

ProjectDialog::ProjectDialog(const DialogTemplate& layout, const ProjectLister& lister,
                             QWidget* parent)
    : QDialog(parent) {
    BuildDialog(this, layout);
    if (!lister) return;
    for (const std::string& name : lister()) {
        ProjectList()->addItem(new ProjectItem(QString::fromStdString(name)));
    }
}

QLineEdit* ProjectDialog::NameEdit() const {
    return FindControl<QLineEdit>(this, kIdName);
}

QListWidget* ProjectDialog::ProjectList() const {
    return FindControl<QListWidget>(this, kIdProjectList);
}

void ProjectDialog::accept() {
    QString chosen = NameEdit()->text();
    const QList<QListWidgetItem*> selected = ProjectList()->selectedItems();
    if (chosen.isEmpty() && !selected.isEmpty()) chosen = selected.front()->text();
    if (chosen.isEmpty()) {
        ShowMessageBox(this, msg::kEnterProject);
        return;
    }
    chosen_ = chosen.toStdString();
    description_ = EditText(this, kIdDescription);
    QDialog::accept();
}

}  // namespace brelmoxscc
