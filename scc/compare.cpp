#include "scc/compare.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "client/operations.h"
#include "common/format.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "scc/diff_command.h"
#include "scc/file_commands.h"
#include "scc/messages.h"
#include "scc/view_path.h"

namespace brelmoxscc {

namespace {

// Compares the repository's version, piece by piece as it arrives, with the working file:
// neither side is ever held whole.
class StreamComparison {
  public:
    explicit StreamComparison(const std::string& file) : working_(file, std::ios::binary) {}

    bool Opened() const { return static_cast<bool>(working_); }

    bool Take(const char* data, size_t size) {
        if (differs_) return true;
        piece_.resize(size);
        working_.read(piece_.data(), static_cast<std::streamsize>(size));
        differs_ = static_cast<size_t>(working_.gcount()) != size ||
                   piece_.compare(0, size, data, size) != 0;
        return true;
    }

    // After the whole repository version: the working file must end there too.
    bool Equal() {
        return !differs_ && working_.peek() == std::ifstream::traits_type::eof() && !working_.bad();
    }

  private:
    std::ifstream working_;
    std::string piece_;
    bool differs_ = false;
};

// A working file that cannot be read counts as different. A fetch that failed answers as a
// get that failed: there is nothing to compare with, which is not the same as equal.
SCCRTN QuickCompare(ProviderContext& context, const std::string& file,
                    const std::string& viewPath) {
    StreamComparison comparison(file);
    if (!comparison.Opened()) return SCC_I_FILEDIFFERS;
    const int code = context.Busy(msg::kComparing, [&] {
        return brelmox::FetchFileToMemory(
            context, viewPath, "", "", "",
            [&comparison](const char* data, size_t size) { return comparison.Take(data, size); });
    });
    if (context.Cancelled()) return SCC_I_OPERATIONCANCELED;
    if (code != 0) return GetFailure(code);
    return comparison.Equal() ? SCC_OK : SCC_I_FILEDIFFERS;
}

// A folder of its own in the temporary folder, so that no other user can race the copy or
// point its name elsewhere; "" after a message when it cannot be made.
std::string PrivateFolder(ProviderContext& context) {
    std::string folder = platform::MakePrivateTempFolder("brelmox-compare-");
    if (folder.empty()) {
        ReportMessage(context,
                      platform::FileErrorText("create a folder in", platform::TempFolder(), errno));
    }
    return folder;
}

void RemoveFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::remove_all(std::u8string(folder.begin(), folder.end()), ignored);
}

// The program reads the repository copy from a private folder, which goes once the program
// has ended; when it cannot start, or there is nothing to compare with, it goes at once.
SCCRTN StartComparison(ProviderContext& context, const std::string& file,
                       const std::string& viewPath) {
    const std::string folder = PrivateFolder(context);
    if (folder.empty()) return SCC_E_NONSPECIFICERROR;
    // The copy goes straight into the folder under the file's own name, which the
    // comparison program shows.
    const int fetched = context.Busy(msg::kComparing, [&] {
        return brelmox::GetFiles(viewPath, folder + "/", 0, 0, 0, "", "", "", context);
    });
    if (fetched != 0 || context.Cancelled()) {
        RemoveFolder(folder);
        return context.Cancelled() ? SCC_I_OPERATIONCANCELED : GetFailure(fetched);
    }
    const platform::PathParts parts = platform::SplitPath(file);
    const std::string copy = folder + "/" + parts.fname + parts.ext;
    const DiffCommand command = SplitDiffCommand(context.m_strDiffCommand);
    int error = 0;
    if (platform::StartDetached(command.program,
                                DiffArguments(command.argumentTemplate, file, copy), &error,
                                {copy, folder})) {
        return SCC_OK;
    }
    RemoveFolder(folder);
    ReportMessage(context,
                  error == ENOENT
                      ? brelmox::FormatMessage(msg::kComparisonProgramNotFound, command.program)
                      : platform::FileErrorText("start", command.program, error));
    return SCC_E_NONSPECIFICERROR;
}

}  // namespace

SCCRTN Compare(ProviderContext& context, LPCSTR file, LONG flags) {
    std::string viewPath;
    const SCCRTN found = ViewPathOfFile(context, file, &viewPath);
    if (found != SCC_OK) return found;
    if ((flags & SCC_DIFF_QUICK_DIFF) != 0) return QuickCompare(context, file, viewPath);
    return StartComparison(context, file, viewPath);
}

}  // namespace brelmoxscc
