// What CSelectProject and CSetProject share: the project list, the name and description
// edits, and the rule that decides what OK chooses.
#pragma once

#include <QDialog>
#include <string>

#include "scc/dialogs/dialog_layout.h"
#include "scc/provider_ui.h"

class QLineEdit;
class QListWidget;

namespace brelmoxscc {

class ProjectDialog : public QDialog {
  public:
    static constexpr int kIdProjectList = 1002;
    static constexpr int kIdName = 1003;
    static constexpr int kIdDescription = 1004;

    // Set by OK: the typed name when there is one, else the selected entry.
    const std::string& Chosen() const { return chosen_; }
    const std::string& Description() const { return description_; }

    // Refuses with a message when neither a name is typed nor an entry selected.
    void accept() override;

  protected:
    // Builds the dialog and fills the list from lister, sorted whatever its order.
    ProjectDialog(const DialogTemplate& layout, const ProjectLister& lister, QWidget* parent);

    QLineEdit* NameEdit() const;
    QListWidget* ProjectList() const;

  private:
    std::string chosen_;
    std::string description_;
};

}  // namespace brelmoxscc
