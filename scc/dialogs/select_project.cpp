#include "scc/dialogs/select_project.h"

#include "scc/dialogs/dialog_texts.h"

namespace brelmoxscc {
namespace {

using enum ControlKind;

constexpr ControlSpec kControls[] = {
    {DefaultButton, kIdOk, text::kOk, {177, 7, 50, 14}},
    {Button, kIdCancel, text::kCancel, {177, 24, 50, 14}},
    {SortedList, ProjectDialog::kIdProjectList, "", {7, 73, 220, 62}},
    {Text, kNoId, text::kNewProjectDescriptionLabel, {7, 35, 109, 8}},
    {Text, kNoId, text::kAddNewProjectLabel, {7, 7, 109, 8}},
    {Edit, ProjectDialog::kIdName, "", {7, 17, 160, 15}},
    {Text, kNoId, text::kSelectExistingLabel, {7, 63, 109, 8}},
    {Edit, ProjectDialog::kIdDescription, "", {7, 45, 220, 15}},
};
constexpr DialogSpec kDialog = {"CSelectProject", text::kSelectProjectCaption, 234, 142, kControls};

}  // namespace

CSelectProject::CSelectProject(const ProjectLister& lister, QWidget* parent)
    : ProjectDialog(kDialog, lister, parent) {}

}  // namespace brelmoxscc
