// CSelectProject and CSetProject: the same members and OK rule on two templates.
#pragma once

#include <string>

#include "scc/provider_ui.h"
#include "scc/win32_dialogs/template_dialog.h"

namespace brelmoxscc {

class ProjectDialog : public TemplateDialog {
  public:
    // Set by OK: the typed name when there is one, else the selected entry.
    const std::string& Chosen() const { return chosen_; }
    const std::string& Description() const { return description_; }

  protected:
    // The set-project template shows newName and selects the list's first entry; the
    // select-project one opens with empty edits and no selection.
    ProjectDialog(HINSTANCE resources, int templateId, const ProjectLister& lister,
                  const std::string& newName, bool selectFirst);
    bool OnInit() override;
    // Refuses OK with a message when neither a name is typed nor an entry selected.
    void OnCommand(int id, int notification) override;

  private:
    std::string SelectedProject() const;

    const ProjectLister& lister_;
    std::string newName_;
    bool selectFirst_;
    std::string chosen_;
    std::string description_;
};

class CSelectProject : public ProjectDialog {
  public:
    CSelectProject(HINSTANCE resources, const ProjectLister& lister);
};

class CSetProject : public ProjectDialog {
  public:
    CSetProject(HINSTANCE resources, const ProjectLister& lister, const std::string& newName);
};

}  // namespace brelmoxscc
