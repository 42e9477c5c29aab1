#include "scc/host/host_session.h"

#include <cstdio>
#include <iostream>

#include "platform/file_system.h"
#include "platform/host_code_page.h"
#include "scc/host/result_names.h"

namespace scchost {

namespace {

constexpr size_t kProjectNameBuffer = 301;
constexpr size_t kProviderNameBuffer = 32;
constexpr size_t kPathBuffer = 4096;

// The provider takes and fills strings in the system's code page, as an IDE passes them;
// this program's own are UTF-8. A string the code page cannot spell goes unchanged, for the
// provider to misread as an IDE's would be.
std::string ForProvider(const std::string& text) {
    std::string spelt;
    return platform::ToHostCodePage(text, &spelt) ? spelt : text;
}

std::string FromProvider(LPCSTR text) {
    return text != nullptr ? platform::FromHostCodePage(text) : "";
}

LONG PrintTextOut(LPCSTR message, DWORD) {
    std::cout << "text: " << FromProvider(message) << std::endl;
    return 0;
}

void Report(const char* call, SCCRTN result, const std::string& detail = "") {
    std::cout << call << ": " << DescribeResult(result) << detail << std::endl;
}

// The IDE passes full paths, in the provider's spelling.
std::vector<std::string> FullPaths(const std::vector<std::string>& files) {
    std::vector<std::string> paths;
    for (const std::string& file : files) {
        paths.push_back(ForProvider(platform::AbsolutePath(file)));
    }
    return paths;
}

// Takes "-m TEXT" out of the arguments; the text, or null when there is none.
const char* TakeComment(std::vector<std::string>* arguments, std::string* comment) {
    for (size_t i = 0; i + 1 < arguments->size(); ++i) {
        if ((*arguments)[i] != "-m") continue;
        *comment = ForProvider((*arguments)[i + 1]);
        arguments->erase(arguments->begin() + static_cast<long>(i),
                         arguments->begin() + static_cast<long>(i) + 2);
        return comment->c_str();
    }
    return nullptr;
}

LONG OpenFlags(const std::vector<std::string>& words) {
    LONG flags = 0;
    for (const std::string& word : words) {
        if (word == "createifnew") flags |= SCC_OP_CREATEIFNEW;
        if (word == "silent") flags |= SCC_OP_SILENTOPEN;
    }
    return flags;
}

void PrintStatusWords(const std::vector<std::string>& paths, const std::vector<LONG>& words) {
    for (size_t i = 0; i < paths.size(); ++i) {
        char word[16];
        std::snprintf(word, sizeof word, "0x%04X", static_cast<unsigned>(words[i]) & 0xFFFFu);
        std::cout << "status: " << (words[i] == SCC_STATUS_INVALID ? "invalid" : word) << " "
                  << FromProvider(paths[i].c_str()) << std::endl;
    }
}

LONG PrintRecord(void*, QueryInfoExRecord* record) {
    std::cout << "record: size " << record->size << ", flags " << record->flags << ", version '"
              << record->version << "', " << FromProvider(record->path) << std::endl;
    return 1;
}

}  // namespace

HostSession::~HostSession() {
    if (context_ != nullptr) calls_.uninitialize(context_);
}

bool HostSession::Run(const std::vector<std::string>& words) {
    if (words.empty()) return true;
    const std::string& word = words[0];
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (word == "version") {
        std::cout << "SccGetVersion: " << calls_.getVersion() << std::endl;
    } else if (word == "init") {
        Initialize();
    } else if (word == "uninit") {
        Uninitialize();
    } else if (word == "open" && arguments.size() >= 2) {
        OpenProject(arguments);
    } else if (word == "getprojpath" && arguments.size() == 1) {
        GetProjPath(arguments);
    } else if (word == "options") {
        LPCMDOPTS options = nullptr;
        Report("SccGetCommandOptions",
               calls_.getCommandOptions(context_, nullptr, SCC_COMMAND_OPTIONS, &options));
    } else if (!RunQueryCall(word, arguments) && !RunFileCall(word, arguments)) {
        std::cerr << "brelmox-scchost: cannot make a call of '" << word << "'" << std::endl;
        return false;
    }
    return true;
}

void HostSession::Initialize() {
    char name[kProviderNameBuffer] = "";
    char auxLabel[kPathBuffer] = "";
    LONG caps = 0, checkoutCommentLength = 0, commentLength = 0;
    const SCCRTN result = calls_.initialize(&context_, nullptr, "brelmox-scchost", name, &caps,
                                            auxLabel, &checkoutCommentLength, &commentLength);
    char detail[96] = "";
    if (result == SCC_OK) {
        std::snprintf(detail, sizeof detail, ", provider '%s', capabilities 0x%08X", name,
                      static_cast<unsigned>(caps));
    }
    Report("SccInitialize", result, detail);
}

void HostSession::Uninitialize() {
    Report("SccUninitialize", calls_.uninitialize(context_));
    context_ = nullptr;
}

void HostSession::OpenProject(const std::vector<std::string>& arguments) {
    std::vector<std::string> rest = arguments;
    std::string comment;
    const char* description = TakeComment(&rest, &comment);
    char project[kProjectNameBuffer] = "";
    ForProvider(rest[0]).copy(project, kProjectNameBuffer - 1);
    char auxPath[kPathBuffer] = "";
    char user[kPathBuffer] = "";
    const std::string folder = FullPaths({rest[1]})[0];
    const SCCRTN result = calls_.openProject(context_, nullptr, user, project, folder.c_str(),
                                             auxPath, description, PrintTextOut, OpenFlags(rest));
    Report("SccOpenProject", result, ", project '" + FromProvider(project) + "'");
}

void HostSession::GetProjPath(const std::vector<std::string>& arguments) {
    char project[kProjectNameBuffer] = "";
    char auxPath[kPathBuffer] = "";
    char user[kPathBuffer] = "";
    std::string folder = FullPaths(arguments)[0];
    folder.resize(kPathBuffer);
    BOOL isNew = 0;
    const SCCRTN result =
        calls_.getProjPath(context_, nullptr, user, project, folder.data(), auxPath, 0, &isNew);
    Report("SccGetProjPath", result, ", project '" + FromProvider(project) + "'");
}

bool HostSession::RunQueryCall(const std::string& word, std::vector<std::string> arguments) {
    // "diff FILE quick" asks only whether the file differs.
    const bool quick = word == "diff" && arguments.size() == 2 && arguments[1] == "quick";
    if (quick) arguments.pop_back();
    const std::vector<std::string> paths = FullPaths(arguments);
    std::vector<LPCSTR> files;
    for (const std::string& path : paths) files.push_back(path.c_str());
    const LONG count = static_cast<LONG>(files.size());
    // The status words start as "invalid", so that a word the provider leaves shows.
    std::vector<LONG> words(paths.size(), SCC_STATUS_INVALID);
    if (word == "status") {
        Report("SccQueryInfo", calls_.queryInfo(context_, count, files.data(), words.data()));
        PrintStatusWords(paths, words);
    } else if (word == "statusex") {
        Report("SccQueryInfoEx", calls_.queryInfoEx(context_, count, files.data(), words.data(),
                                                    PrintRecord, nullptr));
        PrintStatusWords(paths, words);
    } else if (word == "history") {
        Report("SccHistory", calls_.history(context_, nullptr, count, files.data(), 0, nullptr));
    } else if (word == "props" && count == 1) {
        Report("SccProperties", calls_.properties(context_, nullptr, files[0]));
    } else if (word == "diff" && count == 1) {
        Report("SccDiff",
               calls_.diff(context_, nullptr, files[0], quick ? SCC_DIFF_QD_CONTENTS : 0, nullptr));
    } else {
        return false;
    }
    return true;
}

bool HostSession::RunFileCall(const std::string& word, std::vector<std::string> arguments) {
    std::string comment;
    const char* text = TakeComment(&arguments, &comment);
    const std::vector<std::string> paths = FullPaths(arguments);
    std::vector<LPCSTR> files;
    for (const std::string& path : paths) files.push_back(path.c_str());
    const LONG count = static_cast<LONG>(files.size());
    LPCSTR* names = files.data();
    if (word == "add") {
        LONG options = 0;
        Report("SccAdd", calls_.add(context_, nullptr, count, names, text, &options, nullptr));
    } else if (word == "ci") {
        Report("SccCheckin", calls_.checkin(context_, nullptr, count, names, text, 0, nullptr));
    } else if (word == "co") {
        Report("SccCheckout", calls_.checkout(context_, nullptr, count, names, text, 0, nullptr));
    } else if (word == "get") {
        Report("SccGet", calls_.get(context_, nullptr, count, names, 0, nullptr));
    } else if (word == "unco") {
        Report("SccUncheckout", calls_.uncheckout(context_, nullptr, count, names, 0, nullptr));
    } else if (word == "rm") {
        Report("SccRemove", calls_.remove(context_, nullptr, count, names, text, 0, nullptr));
    } else {
        return false;
    }
    return true;
}

}  // namespace scchost
