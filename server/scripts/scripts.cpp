#include "server/scripts/scripts.h"

#include "server/names.h"
#include "server/refusal.h"
#include "server/statuses.h"

namespace server {

const std::vector<Script>& AllScripts() {
    static const std::vector<Script> scripts = {
        {"validate_user_from_cli.php", false, ValidateUser},
        {"validate_project_from_cli.php", false, ValidateProject},
        {"create_project_from_cli.php", false, CreateProject},
        {"get_project_list_from_cli.php", false, GetProjectList},
        {"add_files_from_cli.php", false, AddFiles},
        {"get_files_from_cli.php", true, GetFiles},
        {"uncheckout_from_cli.php", true, Uncheckout},
        {"remove_files_from_cli.php", true, RemoveFiles},
        {"create_label_cli.php", false, CreateLabel},
        {"get_history_from_cli.php", false, GetHistory},
        {"get_properties_from_cli.php", false, GetProperties},
        {"query_info_multiple_from_cli_a.php", false, QueryInfoMultiple},
    };
    return scripts;
}

Reply Answer(KeywordAnswer answer) {
    Reply reply;
    reply.body = answer.Take();
    return reply;
}

Credentials CredentialsOf(const Form& form) {
    Credentials credentials;
    credentials.userName = form.Required("username");
    credentials.password = form.Required("password");
    credentials.organization = form.Required("organization");
    credentials.clientAddress = form.ClientAddress();
    return credentials;
}

Caller IdentifyCaller(ServerState& state, ReadTx& tx, const Form& form) {
    Caller caller;
    caller.identity = state.authenticator.Authenticate(tx, CredentialsOf(form));
    caller.projectId = RequireProject(tx, caller.identity.organizationId, form.Required("project"));
    return caller;
}

Caller IdentifyCaller(ServerState& state, const Form& form) {
    Caller caller;
    state.storage->RunRead([&](ReadTx& tx) { caller = IdentifyCaller(state, tx, form); });
    return caller;
}

void RequireUploader(ServerState& state, const Form& fields) {
    IdentifyCaller(state, fields);
    BoundedDescription(fields, "description");
}

std::string BoundedDescription(const Form& form, const char* field) {
    std::string description = form.Optional(field);
    if (description.size() > kDescriptionLimit) {
        throw Refusal::Of(own_status::kRequestTooLarge, text::kDescriptionTooLong,
                          std::to_string(kDescriptionLimit));
    }
    return description;
}

void RequireLineSafeName(const std::string& value, const char* field, const char* emptyText) {
    if (value.empty()) throw Refusal(own_status::kInvalidValue, emptyText);
    if (HasControlCharacter(value)) {
        throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, value, field);
    }
}

}  // namespace server
