#include "scc/project_binding.h"

#include <cstring>
#include <string>
#include <vector>

#include "client/operations.h"
#include "common/format.h"
#include "platform/host_code_page.h"
#include "scc/messages.h"

namespace brelmoxscc {

namespace {

constexpr size_t kLongestProjectName = 300;

// The IDE's strings are in its system's code page.
std::string Text(LPCSTR text) {
    return text != nullptr ? platform::FromHostCodePage(text) : "";
}

ProjectLister ListerFor(ProviderContext& context) {
    return [&context] {
        // A failed fetch has shown its message; the dialog opens with what arrived.
        std::vector<std::string> names;
        context.Busy(msg::kListingProjects,
                     [&] { return brelmox::GetProjectList(context, &names); });
        return names;
    };
}

// The name as the IDE's buffer takes it, in the IDE's code page. A name the buffer cannot
// hold or the code page cannot spell is refused whole rather than cut or changed to
// another name.
bool SpellForIde(ProviderContext& context, const std::string& name, std::string* spelt) {
    if (!platform::ToHostCodePage(name, spelt)) {
        ReportMessage(context, brelmox::FormatMessage(msg::kNameNotInCodePage, name));
        return false;
    }
    if (spelt->size() <= kLongestProjectName) return true;
    ReportMessage(context, brelmox::FormatMessage(msg::kProjectNameTooLong, name));
    return false;
}

void HandBack(LPSTR projName, const std::string& spelt) {
    if (projName != nullptr) std::memcpy(projName, spelt.c_str(), spelt.size() + 1);
}

// Validates the chosen project and creates it when it does not exist; on success the
// name goes back to the IDE. 0 or -3.
SCCRTN BindChosen(ProviderContext& context, const ProjectChoice& choice, LPSTR projName) {
    std::string spelt;
    if (!SpellForIde(context, choice.chosen, &spelt)) return SCC_E_COULDNOTCREATEPROJECT;
    context.m_strProject = choice.chosen;
    const bool bound = context.Busy(msg::kOpeningProject, [&] {
        return brelmox::ValidateProject(context) == 0 ||
               brelmox::CreateProject(context, choice.chosen, choice.description) == 0;
    });
    if (context.Cancelled()) return SCC_I_OPERATIONCANCELED;
    if (!bound) return SCC_E_COULDNOTCREATEPROJECT;
    HandBack(projName, spelt);
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
    const int known =
        context.Busy(msg::kOpeningProject, [&] { return brelmox::ValidateProject(context); });
    if (context.Cancelled()) return SCC_I_OPERATIONCANCELED;
    if (known == 0) {
        Bound(context, name, localProjPath);
        return SCC_OK;
    }
    if ((flags & SCC_OP_CREATEIFNEW) != 0) {
        std::string spelt;
        if (!SpellForIde(context, name, &spelt)) return SCC_E_COULDNOTCREATEPROJECT;
        const int created = context.Busy(msg::kOpeningProject, [&] {
            return brelmox::CreateProject(context, name, Text(comment));
        });
        if (context.Cancelled()) return SCC_I_OPERATIONCANCELED;
        if (created != 0) return SCC_E_COULDNOTCREATEPROJECT;
        HandBack(projName, spelt);
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
