#include "scc/project_binding.h"

#include <cstring>
#include <string>
#include <vector>

#include "client/operations.h"
#include "common/format.h"
#include "scc/messages.h"

namespace brelmoxscc {

namespace {

constexpr size_t kLongestProjectName = 300;

std::string Text(LPCSTR text) {
    return text != nullptr ? text : "";
}

ProjectLister ListerFor(ProviderContext& context) {
    return [&context] {
        // A failed fetch has shown its message; the dialog opens with what arrived.
        std::vector<std::string> names;
        brelmox::GetProjectList(context, &names);
        return names;
    };
}

// A name the IDE's buffer cannot hold is refused whole rather than cut to another name.
bool FitsIdeBuffer(ProviderContext& context, const std::string& name) {
    if (name.size() <= kLongestProjectName) return true;
    ReportMessage(context, brelmox::FormatMessage(msg::kProjectNameTooLong, name));
    return false;
}

void HandBack(LPSTR projName, const std::string& name) {
    if (projName != nullptr) std::memcpy(projName, name.c_str(), name.size() + 1);
}

// Validates the chosen project and creates it when it does not exist; on success the
// name goes back to the IDE. 0 or -3.
SCCRTN BindChosen(ProviderContext& context, const ProjectChoice& choice, LPSTR projName) {
    if (!FitsIdeBuffer(context, choice.chosen)) return SCC_E_COULDNOTCREATEPROJECT;
    context.m_strProject = choice.chosen;
    if (brelmox::ValidateProject(context) != 0 &&
        brelmox::CreateProject(context, choice.chosen, choice.description) != 0) {
        return SCC_E_COULDNOTCREATEPROJECT;
    }
    HandBack(projName, choice.chosen);
    return SCC_OK;
}

void Bound(ProviderContext& context, const std::string& project, LPCSTR localProjPath) {
    context.m_strLocalProjectPath = Text(localProjPath);
    context.m_strProject = project;
    context.SaveConfig();
}

}  // namespace

SCCRTN SelectOrCreateProject(ProviderContext& context, LPSTR projName) {
    ProjectChoice choice;
    if (!context.Ui().SelectProject(ListerFor(context), &choice)) return SCC_I_OPERATIONCANCELED;
    return BindChosen(context, choice, projName);
}

SCCRTN OpenProject(ProviderContext& context, LPSTR projName, LPCSTR localProjPath, LPCSTR comment,
                   LPTEXTOUTPROC textOut, LONG flags) {
    context.SetTextOut(textOut);
    const std::string name = Text(projName);
    if (name.empty()) {
        const SCCRTN result = SelectOrCreateProject(context, projName);
        context.m_strLocalProjectPath = Text(localProjPath);
        return result;
    }
    context.m_strProject = name;
    if (brelmox::ValidateProject(context) == 0) {
        Bound(context, name, localProjPath);
        return SCC_OK;
    }
    if ((flags & SCC_OP_CREATEIFNEW) != 0) {
        if (!FitsIdeBuffer(context, name) ||
            brelmox::CreateProject(context, name, Text(comment)) != 0) {
            return SCC_E_COULDNOTCREATEPROJECT;
        }
        HandBack(projName, name);
        Bound(context, name, localProjPath);
        return SCC_OK;
    }
    if ((flags & SCC_OP_SILENTOPEN) != 0) {
        context.SendTextOut(brelmox::FormatMessage(msg::kUnknownProjectSilent, name));
        return SCC_E_UNKNOWNPROJECT;
    }
    ProjectChoice choice{name, "", ""};
    if (!context.Ui().SetProject(ListerFor(context), &choice)) return SCC_I_OPERATIONCANCELED;
    const SCCRTN result = BindChosen(context, choice, projName);
    if (result == SCC_OK) Bound(context, choice.chosen, localProjPath);
    return result;
}

SCCRTN GetProjPath(ProviderContext& context, LPSTR projName, LPCSTR localPath) {
    const SCCRTN result = SelectOrCreateProject(context, projName);
    context.m_strLocalProjectPath = Text(localPath);
    return result;
}

}  // namespace brelmoxscc
