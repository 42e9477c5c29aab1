// CSetProject: binds the IDE's project when the repository has no project of its name.
#pragma once

#include <string>

#include "scc/dialogs/project_dialog.h"

namespace brelmoxscc {

class CSetProject : public ProjectDialog {
  public:
    // Opens with newName in the name edit and the first project of the list selected.
    CSetProject(const ProjectLister& lister, const std::string& newName, QWidget* parent = nullptr);
};

}  // namespace brelmoxscc
