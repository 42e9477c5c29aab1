#include "client/field_reader.h"
#include "client/messages.h"
#include "client/operations.h"
#include "client/short_answer.h"
#include "common/result_codes.h"
#include "common/wire.h"

namespace brelmox {

namespace {

// A status and a version are short texts; anything longer is a broken answer.
constexpr size_t kLongestStateValue = 64 * 1024;

// sent holds the indexes of the paths that travel; it is not empty.
std::string JoinedPaths(const std::vector<std::string>& viewPaths,
                        const std::vector<size_t>& sent) {
    std::string joined = viewPaths[sent.front()];
    for (size_t i = 1; i < sent.size(); ++i) joined += "|" + viewPaths[sent[i]];
    return joined;
}

}  // namespace

int QueryInfoMultiple(COstrelContext& context, const std::vector<std::string>& viewPaths,
                      std::vector<std::optional<FileState>>* states) {
    states->assign(viewPaths.size(), std::nullopt);
    std::vector<size_t> sent;
    for (size_t i = 0; i < viewPaths.size(); ++i) {
        if (viewPaths[i].find('|') == std::string::npos) sent.push_back(i);
    }
    if (sent.empty()) return result::kSuccess;
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddField("filepaths", JoinedPaths(viewPaths, sent));
    return PostFieldRequest(
        context, "query_info_multiple_from_cli_a.php", body, msg::kErrQueryingInfo,
        kLongestStateValue, [&](FieldReader& answer) {
            // Pairs beyond the paths asked describe none of the caller's files.
            for (size_t index : sent) {
                FileState state;
                std::string status;
                if (answer.Read(wire::kKeyVersionStatus, &status) != 0) return;
                state.status = StatusValue(status);
                // A missing version reads as empty, but a pair cut off by a failed read
                // says nothing sure about its file.
                if (answer.Read(wire::kKeyVersion, &state.version) != 0 && answer.Result() != 0)
                    return;
                (*states)[index] = std::move(state);
            }
        });
}

}  // namespace brelmox
