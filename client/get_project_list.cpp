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
    MultipartBody body;
    AddCredentialFields(body, context, false);
    // The list is read name by name as it arrives, so its length costs no memory.
    return PostFieldRequest(context, "get_project_list_from_cli.php", body,
                            msg::kErrGettingProjectList, kLongestProjectName,
                            [projects](FieldReader& answer) {
                                std::string name;
                                while (answer.Read(wire::kKeyProject, &name) == 0)
                                    projects->push_back(name);
                            });
}

}  // namespace brelmox
