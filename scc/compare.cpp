#include "scc/compare.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "client/operations.h"
#include "common/format.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "scc/diff_command.h"
#include "scc/messages.h"
#include "scc/view_path.h"

namespace brelmoxscc {

namespace {

constexpr size_t kComparePiece = 64 * 1024;

// Equal when the working file holds exactly the repository's bytes. A failed fetch leaves
// the repository side empty, so only an empty working file then counts as equal.
SCCRTN QuickCompare(ProviderContext& context, const std::string& file,
                    const std::string& viewPath) {
    std::string repository;
    brelmox::FetchFileToMemory(context, viewPath, "", "", "", &repository);
    std::ifstream working(file, std::ios::binary);
    if (!working) return SCC_I_FILEDIFFERS;
    std::string piece(kComparePiece, '\0');
    size_t offset = 0;
    while (working.read(piece.data(), static_cast<std::streamsize>(piece.size())) ||
           working.gcount() > 0) {
        const size_t got = static_cast<size_t>(working.gcount());
        if (repository.compare(offset, got, piece, 0, got) != 0) return SCC_I_FILEDIFFERS;
        offset += got;
        if (offset > repository.size()) return SCC_I_FILEDIFFERS;
    }
    if (working.bad()) return SCC_I_FILEDIFFERS;
    return offset == repository.size() ? SCC_OK : SCC_I_FILEDIFFERS;
}

// A folder of its own in the temporary folder, so that no other user can race the copy or
// point its name elsewhere; "" after a message when it cannot be made.
std::string PrivateFolder(ProviderContext& context) {
    std::string folder = platform::TempFolder() + "brelmox-compare-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        ReportMessage(context,
                      platform::FileErrorText("create a folder in", platform::TempFolder(), errno));
        return "";
    }
    return folder + "/";
}

void StartComparison(ProviderContext& context, const std::string& file,
                     const std::string& viewPath) {
    const std::string folder = PrivateFolder(context);
    if (folder.empty()) return;
    // The copy goes straight into the folder under the file's own name, which the
    // comparison program shows; a failed fetch has shown its message.
    brelmox::GetFiles(viewPath, folder, 0, 0, 0, "", "", "", context);
    const std::string copy = folder + std::filesystem::path(file).filename().string();
    const DiffCommand command = SplitDiffCommand(context.m_strDiffCommand);
    int error = 0;
    if (platform::StartDetached(command.program,
                                DiffArguments(command.argumentTemplate, file, copy), &error)) {
        return;
    }
    ReportMessage(context,
                  error == ENOENT
                      ? brelmox::FormatMessage(msg::kComparisonProgramNotFound, command.program)
                      : platform::FileErrorText("start", command.program, error));
}

}  // namespace

SCCRTN Compare(ProviderContext& context, LPCSTR file, LONG flags) {
    std::string viewPath;
    const SCCRTN found = ViewPathOfFile(context, file, &viewPath);
    if (found != SCC_OK) return found;
    if ((flags & SCC_DIFF_QUICK_DIFF) != 0) return QuickCompare(context, file, viewPath);
    StartComparison(context, file, viewPath);
    return SCC_OK;
}

}  // namespace brelmoxscc
