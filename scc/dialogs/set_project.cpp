#include "scc/dialogs/set_project.h"

#include <QLineEdit>
#include <QListWidget>

#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;

constexpr ControlTemplate kControls[] = {
    {DefaultButton, kIdOk, msg::kOk, {216, 7, 50, 14}},
    {Button, kIdCancel, msg::kCancel, {216, 24, 50, 14}},
    {SortedList, ProjectDialog::kIdProjectList, "", {7, 104, 259, 62}},
    {Text, kNoId, msg::kProjectDescriptionLabel, {7, 66, 109, 8}},
    {Text, kNoId, msg::kCreateProjectLabel, {7, 38, 109, 8}},
    {Edit, ProjectDialog::kIdName, "", {7, 48, 160, 15}},
    {Text, kNoId, msg::kSelectExistingLabel, {7, 94, 109, 8}},
    {Edit, ProjectDialog::kIdDescription, "", {7, 76, 259, 15}},
    {Text, kNoId, msg::kNoProjectInRepository, {7, 7, 204, 25}},
};
constexpr DialogTemplate kDialog = {"CSetProject", msg::kSetProjectCaption, 273, 174, kControls};

}  // namespace

CSetProject::CSetProject(const ProjectLister& lister, const std::string& newName, QWidget* parent)
    : ProjectDialog(kDialog, lister, parent) {
    NameEdit()->setText(QString::fromStdString(newName));
    if (ProjectList()->count() > 0) ProjectList()->setCurrentRow(0);
}

}  // namespace brelmoxscc
