#include "scc/dialogs/select_project.h"

#include "scc/messages.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;

constexpr ControlTemplate kControls[] = {
    {DefaultButton, kIdOk, msg::kOk, {177, 7, 50, 14}},
    {Button, kIdCancel, msg::kCancel, {177, 24, 50, 14}},
    {SortedList, ProjectDialog::kIdProjectList, "", {7, 73, 220, 62}},
    {Text, kNoId, msg::kNewProjectDescriptionLabel, {7, 35, 109, 8}},
    {Text, kNoId, msg::kAddNewProjectLabel, {7, 7, 109, 8}},
    {Edit, ProjectDialog::kIdName, "", {7, 17, 160, 15}},
    {Text, kNoId, msg::kSelectExistingLabel, {7, 63, 109, 8}},
    {Edit, ProjectDialog::kIdDescription, "", {7, 45, 220, 15}},
};
constexpr DialogTemplate kDialog = {"CSelectProject", msg::kSelectProjectCaption, 234, 142,
                                    kControls};

}  // namespace

CSelectProject::CSelectProject(const ProjectLister& lister, QWidget* parent)
    : ProjectDialog(kDialog, lister, parent) {}

}  // namespace brelmoxscc
