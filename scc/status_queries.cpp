#include "scc/status_queries.h"

#include <optional>
#include <string>
#include <vector>

#include "client/operations.h"
#include "common/result_codes.h"
#include "scc/messages.h"
#include "scc/view_path.h"

namespace brelmoxscc {

namespace {

namespace status = brelmox::status;

// What IDEs take from a status query that failed, or that met a state it cannot show.
constexpr SCCRTN kQueryFailed = -1;

// Each file's server state; a file outside the project folder has none, as it is not
// under this project's control, and neither has a file the answer left out. A view path
// holding a '|' is not asked about either (the query joins paths with it, and no such
// name can be added), so it counts as outside.
struct FileStates {
    std::vector<std::optional<brelmox::FileState>> states;
    std::vector<bool> outside;
};

int QueryStates(ProviderContext& context, LONG count, const LPCSTR* files, FileStates* result) {
    std::vector<std::string> viewPaths;
    std::vector<size_t> sent;
    for (LONG i = 0; i < count; ++i) {
        std::string viewPath;
        const bool below = files[i] != nullptr && FindViewPath(context, files[i], &viewPath) &&
                           viewPath.find('|') == std::string::npos;
        result->outside.push_back(!below);
        if (below) {
            viewPaths.push_back(viewPath);
            sent.push_back(static_cast<size_t>(i));
        }
    }
    result->states.assign(static_cast<size_t>(count), std::nullopt);
    std::vector<std::optional<brelmox::FileState>> answered;
    const int code = context.Busy(msg::kQueryingStatus, [&] {
        return brelmox::QueryInfoMultiple(context, viewPaths, &answered);
    });
    for (size_t j = 0; j < answered.size(); ++j) result->states[sent[j]] = answered[j];
    return code;
}

// The word for one file; SCC_STATUS_INVALID for a state the provider does not know.
LONG StatusWord(const FileStates& files, size_t i) {
    if (files.outside[i]) return SCC_STATUS_NOTCONTROLLED;
    if (!files.states[i]) return SCC_STATUS_INVALID;
    switch (files.states[i]->status) {
        case status::kCheckedOutByYou:
            return SCC_STATUS_CONTROLLED | SCC_STATUS_CHECKEDOUT | SCC_STATUS_OUTBYUSER;
        case status::kCheckedOutByOther:
            return SCC_STATUS_CONTROLLED | SCC_STATUS_CHECKEDOUT | SCC_STATUS_OUTOTHER;
        case status::kNotCheckedOut:
            return SCC_STATUS_CONTROLLED;
        case status::kNotControlled:
        case status::kNotInRepository:
        case status::kNotControlledRemoved:
            return SCC_STATUS_NOTCONTROLLED;
        default:
            return SCC_STATUS_INVALID;
    }
}

void TellWhyTheQueryFailed(const ProviderContext& context, int code) {
    if (code == status::kUnknownProject) context.SendTextOut(msg::kInvalidProject);
    if (code == status::kInvalidUser) context.SendTextOut(msg::kInvalidUser);
}

}  // namespace

SCCRTN QueryInfo(ProviderContext& context, LONG count, const LPCSTR* files, LPLONG status) {
    return QueryInfoEx(context, count, files, status, nullptr, nullptr);
}

SCCRTN QueryInfoEx(ProviderContext& context, LONG count, const LPCSTR* files, LPLONG status,
                   QUERYINFOEXFUNC callback, void* callerData) {
    if (count <= 0) return SCC_OK;
    if (files == nullptr || status == nullptr) return SCC_E_NONSPECIFICERROR;
    FileStates states;
    const int code = QueryStates(context, count, files, &states);
    if (code != 0) {
        if (context.Cancelled()) return SCC_I_OPERATIONCANCELED;
        TellWhyTheQueryFailed(context, code);
        return kQueryFailed;
    }
    SCCRTN result = SCC_OK;
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        status[i] = StatusWord(states, i);
        if (status[i] == SCC_STATUS_INVALID) result = kQueryFailed;
        if (callback == nullptr || status[i] != SCC_STATUS_CONTROLLED) continue;
        // The texts are handed whole; the record lives for the call only.
        QueryInfoExRecord record{sizeof(QueryInfoExRecord),
                                 0,
                                 1,
                                 files[i],
                                 states.states[i]->version.c_str(),
                                 0,
                                 0,
                                 0,
                                 0};
        if (callback(callerData, &record) == 0) return SCC_I_OPERATIONCANCELED;
    }
    return result;
}

}  // namespace brelmoxscc
