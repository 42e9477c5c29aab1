#include "scc/file_commands.h"

#include <cerrno>
#include <cstdint>
#include <string>

#include "client/operations.h"
#include "common/result_codes.h"
#include "platform/file_system.h"
#include "scc/messages.h"
#include "scc/view_path.h"

namespace brelmoxscc {

namespace {

namespace status = brelmox::status;

// One file's work, given its IDE path and the repository path that the command needs.
using FileWork = int (*)(ProviderContext& context, const std::string& idePath,
                         const std::string& repositoryPath, LPCSTR comment);
// Folds one file's code into the running result.
using Fold = SCCRTN (*)(SCCRTN running, int code);

struct FileCommand {
    bool usesViewFolder;  // add and check-in name the folder, the others the file
    const char* action;   // the progress window's first line
    FileWork work;
    Fold fold;
};

// The library's own failures (transport, local files, answers), as opposed to server
// statuses, which start at -2000.
bool IsLibraryFailure(int code) {
    return code <= -1 && code >= -1999;
}

// The library's file walk sends nothing for a missing file and calls that success; the
// IDE is told instead.
int CheckFileExists(ProviderContext& context, const std::string& idePath) {
    std::uint64_t size = 0;
    if (platform::SizeOfFile(idePath, &size)) return 0;
    ReportMessage(context, platform::FileErrorText("open", idePath, errno));
    return brelmox::result::kFileError;
}

int Upload(ProviderContext& context, const std::string& idePath, const std::string& viewFolder,
           int checkin, const std::string& description) {
    int code = CheckFileExists(context, idePath);
    if (code != 0) return code;
    // The one file itself: the file walk would take its name as a pattern.
    return brelmox::AddFile(context, checkin, idePath, viewFolder, description);
}

// The working file is replaced where it is: the folder that holds it, on its drive.
std::string FolderOf(const std::string& idePath) {
    return platform::SplitPath(idePath).Folder();
}

int Fetch(ProviderContext& context, const std::string& idePath, const std::string& viewPath,
          int checkout) {
    return brelmox::GetFiles(viewPath, FolderOf(idePath), 0, 0, checkout, "", "", "", context);
}

SCCRTN FoldAdd(SCCRTN running, int code) {
    // An existing file counts as success for itself but never clears an earlier failure.
    if (code == 0 || code == status::kAlreadyExists) return running;
    return SCC_E_CONNECTIONFAILURE;
}

SCCRTN FoldAnyFailure(SCCRTN running, int code) {
    return code == 0 ? running : SCC_E_CONNECTIONFAILURE;
}

SCCRTN FoldGet(SCCRTN running, int code) {
    return code == 0 ? running : GetFailure(code);
}

SCCRTN FoldUncheckout(SCCRTN running, int code) {
    if (code == status::kNotAuthorized) return SCC_E_NOTAUTHORIZED;
    if (code == status::kNotCheckedOut) return SCC_E_NOTCHECKEDOUT;
    return IsLibraryFailure(code) ? SCC_E_CONNECTIONFAILURE : running;
}

SCCRTN FoldRemove(SCCRTN running, int code) {
    if (code == status::kCheckedOutByOther) return SCC_E_FILEISLOCKED;
    return IsLibraryFailure(code) ? SCC_E_CONNECTIONFAILURE : running;
}

int RepositoryPath(ProviderContext& context, const FileCommand& command, LPCSTR file,
                   std::string* path) {
    const std::string idePath = file != nullptr ? file : "";
    const bool found = command.usesViewFolder ? GetViewFolder(context, idePath, path)
                                              : GetViewPath(context, idePath, path);
    return found ? 0 : brelmox::result::kFileError;
}

// The files one after another. Cancel stops before the next file, and the file whose
// transfer it cut short counts as cancelled rather than failed; a failure before it stays.
SCCRTN RunFiles(ProviderContext& context, LONG count, const LPCSTR* files, LPCSTR comment,
                const FileCommand& command) {
    brelmox::Notifier& notifier = context.Notify();
    notifier.ProgressBegin(command.action, static_cast<size_t>(count));
    SCCRTN running = SCC_OK;
    for (LONG i = 0; i < count; ++i) {
        const std::string idePath = files[i] != nullptr ? files[i] : "";
        if (!notifier.ProgressStep(idePath)) break;
        std::string repositoryPath;
        int code = RepositoryPath(context, command, files[i], &repositoryPath);
        if (code == 0) code = command.work(context, idePath, repositoryPath, comment);
        if (code != 0 && notifier.Cancelled()) break;
        running = command.fold(running, code);
    }
    notifier.ProgressEnd();
    if (notifier.Cancelled() && running == SCC_OK) return SCC_I_OPERATIONCANCELED;
    return running;
}

SCCRTN RunFileCommand(ProviderContext& context, LONG count, const LPCSTR* files, LPCSTR comment,
                      const FileCommand& command) {
    if (count <= 0) return SCC_OK;
    if (files == nullptr) return SCC_E_NONSPECIFICERROR;
    return context.Busy(command.action,
                        [&] { return RunFiles(context, count, files, comment, command); });
}

}  // namespace

SCCRTN GetFailure(int code) {
    if (code == status::kNotInRepository || code == status::kNothingMatched) {
        return SCC_E_FILENOTCONTROLLED;
    }
    return SCC_E_CONNECTIONFAILURE;
}

SCCRTN AddToRepository(ProviderContext& context, LONG count, const LPCSTR* files) {
    static const FileCommand command{
        true, msg::kAddingFiles,
        [](ProviderContext& c, const std::string& file, const std::string& folder, LPCSTR) {
            return Upload(c, file, folder, 0, "");
        },
        FoldAdd};
    return RunFileCommand(context, count, files, nullptr, command);
}

SCCRTN CheckIn(ProviderContext& context, LONG count, const LPCSTR* files, LPCSTR comment) {
    static const FileCommand command{
        true, msg::kCheckingIn,
        [](ProviderContext& c, const std::string& file, const std::string& folder,
           LPCSTR description) { return Upload(c, file, folder, 1, description); },
        FoldAnyFailure};
    return RunFileCommand(context, count, files, comment != nullptr ? comment : "", command);
}

SCCRTN CheckOut(ProviderContext& context, LONG count, const LPCSTR* files) {
    static const FileCommand command{
        false, msg::kCheckingOut,
        [](ProviderContext& c, const std::string& file, const std::string& viewPath, LPCSTR) {
            return Fetch(c, file, viewPath, 1);
        },
        FoldAnyFailure};
    return RunFileCommand(context, count, files, nullptr, command);
}

SCCRTN GetLatest(ProviderContext& context, LONG count, const LPCSTR* files) {
    static const FileCommand command{
        false, msg::kGettingFiles,
        [](ProviderContext& c, const std::string& file, const std::string& viewPath, LPCSTR) {
            return Fetch(c, file, viewPath, 0);
        },
        FoldGet};
    return RunFileCommand(context, count, files, nullptr, command);
}

SCCRTN UndoCheckOut(ProviderContext& context, LONG count, const LPCSTR* files) {
    static const FileCommand command{
        false, msg::kUndoingCheckOut,
        [](ProviderContext& c, const std::string&, const std::string& viewPath, LPCSTR) {
            return brelmox::UncheckoutFiles(c, viewPath, 0);
        },
        FoldUncheckout};
    return RunFileCommand(context, count, files, nullptr, command);
}

SCCRTN RemoveFromRepository(ProviderContext& context, LONG count, const LPCSTR* files) {
    static const FileCommand command{
        false, msg::kRemovingFiles,
        [](ProviderContext& c, const std::string&, const std::string& viewPath, LPCSTR) {
            return brelmox::RemoveFiles(c, viewPath, 0);
        },
        FoldRemove};
    return RunFileCommand(context, count, files, nullptr, command);
}

}  // namespace brelmoxscc
