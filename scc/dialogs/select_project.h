// CSelectProject: picks or names the project to bind when the IDE asks for one.
#pragma once

#include "scc/dialogs/project_dialog.h"

namespace brelmoxscc {

class CSelectProject : public ProjectDialog {
  public:
    // Opens with empty edits and no entry selected.
    explicit CSelectProject(const ProjectLister& lister, QWidget* parent = nullptr);
};

}  // namespace brelmoxscc
