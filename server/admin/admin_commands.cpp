#include "server/admin/admin_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "common/format.h"
#include "server/admin/admin.h"
#include "server/admin/admin_messages.h"
#include "server/admin/backup.h"
#include "server/admin/command_values.h"

namespace server {
namespace {

using Json = nlohmann::ordered_json;

// Names are the bytes clients sent, which need not be UTF-8.
void PrintJson(const Json& row) {
    std::printf("%s\n", row.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
}

void PrintNames(const std::vector<std::string>& names, bool json) {
    for (const std::string& name : names) {
        if (json) {
            PrintJson(Json{{"name", name}});
        } else {
            std::printf("%s\n", name.c_str());
        }
    }
}

void Say(const std::string& text) {
    std::fputs(text.c_str(), stdout);
}

std::unique_ptr<Storage> Open(const Invocation& invocation) {
    return OpenStorage(invocation.Storage());
}

void RunUserSwitch(const Invocation& invocation, bool disabled) {
    const std::string& organization = invocation.words[2];
    const std::string& user = invocation.words[3];
    SetUserDisabled(*Open(invocation), organization, user, disabled);
    Say(brelmox::FormatMessage(disabled ? admin_text::kUserDisabled : admin_text::kUserEnabled,
                               user, organization));
}

DataFolder FolderOnly(const Invocation& invocation) {
    if (!invocation.Option("--database", "").empty())
        throw UsageError(admin_text::kBackupNeedsFolder);
    return DataFolder(invocation.DataFolderPath());
}

}  // namespace

void RunOrgList(const Invocation& invocation) {
    PrintNames(ListOrganizations(*Open(invocation)), invocation.Has("-json"));
}

void RunUserList(const Invocation& invocation) {
    for (const UserSummary& user : ListUsers(*Open(invocation), invocation.words[2])) {
        if (invocation.Has("-json")) {
            PrintJson(Json{
                {"name", user.name}, {"disabled", user.disabled}, {"checkouts", user.checkouts}});
        } else {
            std::printf("%s\t%s\t%lld\n", user.name.c_str(),
                        user.disabled ? admin_text::kDisabled : admin_text::kEnabled,
                        static_cast<long long>(user.checkouts));
        }
    }
}

void RunUserPasswd(const Invocation& invocation) {
    const std::string& organization = invocation.words[2];
    const std::string& user = invocation.words[3];
    const std::string password = ReadPassword(user);
    SetPassword(*Open(invocation), organization, user, password);
    Say(brelmox::FormatMessage(admin_text::kPasswordChanged, user, organization));
}

void RunUserDisable(const Invocation& invocation) {
    RunUserSwitch(invocation, true);
}

void RunUserEnable(const Invocation& invocation) {
    RunUserSwitch(invocation, false);
}

void RunUserRelease(const Invocation& invocation) {
    const std::string& organization = invocation.words[2];
    const std::string& user = invocation.words[3];
    const std::int64_t released = ReleaseCheckouts(*Open(invocation), organization, user);
    Say(brelmox::FormatMessage(admin_text::kCheckoutsReleased, std::to_string(released), user,
                               organization));
}

void RunProjectList(const Invocation& invocation) {
    PrintNames(ListProjects(*Open(invocation), invocation.words[2]), invocation.Has("-json"));
}

void RunProjectRemove(const Invocation& invocation) {
    const std::string& organization = invocation.words[2];
    const std::string& project = invocation.words[3];
    if (!invocation.Has("--yes"))
        throw AdminError(brelmox::FormatMessage(admin_text::kRemovalNeedsYes, project));
    RemoveProject(*Open(invocation), organization, project);
    Say(brelmox::FormatMessage(admin_text::kProjectRemoved, project, organization));
}

void RunBackup(const Invocation& invocation) {
    const DataFolder folder = FolderOnly(invocation);
    const std::string& file = invocation.words[1];
    const std::int64_t archives = BackUpDataFolder(folder, file);
    Say(brelmox::FormatMessage(admin_text::kBackedUp, folder.Root(), file,
                               std::to_string(archives)));
}

void RunRestore(const Invocation& invocation) {
    const DataFolder folder = FolderOnly(invocation);
    const std::string& file = invocation.words[1];
    const std::int64_t archives = RestoreDataFolder(file, folder);
    Say(brelmox::FormatMessage(admin_text::kRestored, file, folder.Root(),
                               std::to_string(archives)));
}

}  // namespace server
