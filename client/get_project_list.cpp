#include "client/field_reader.h"
#include "client/messages.h"
#include "client/operations.h"
#include "client/short_answer.h"
#include "common/wire.h"

namespace brelmox {

namespace {
// A longer name is no project's name but a broken answer.
constexpr size_t kLongestProjectName = 64 * 1024;
}  // namespace

int GetProjectList(COstrelContext& context, std::vector<std::string>* projects) {
    ServerCall call(context, "get_project_list_from_cli.php");
    if (call.OpenResult() != 0) return call.OpenResult();
    MultipartBody body;
    AddCredentialFields(body, context, false);
    int result = call.Send(body, msg::kErrGettingProjectList);
    if (result != 0) return result;

    // The list is read name by name as it arrives, so its length costs no memory.
    FieldReader answer(call, context, kLongestProjectName);
    const int status = ReadStatus(answer.Source());
    if (status != 0) {
        ReportMessage(context, ReadError(answer.Source()));
        return status;
    }
    std::string name;
    while (answer.Read(wire::kKeyProject, &name) == 0) projects->push_back(name);
    return answer.Result();
}

}  // namespace brelmox
