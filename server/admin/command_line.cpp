#include "server/admin/command_line.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <stdexcept>

#include "server/admin/admin.h"
#include "server/admin/admin_commands.h"
#include "server/admin/command_values.h"
#include "server/admin/serve_command.h"
#include "server/repository_server.h"
#include "server/storage/migrate.h"
#include "server/storage/storage.h"

namespace server {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  brelmox-server init STORAGE\n"
    "  brelmox-server org add ORG STORAGE\n"
    "  brelmox-server org list [-json] STORAGE\n"
    "  brelmox-server user add ORG USER STORAGE   (password on standard input)\n"
    "  brelmox-server user list ORG [-json] STORAGE   (NAME, enabled|disabled, check-outs)\n"
    "  brelmox-server user passwd ORG USER STORAGE   (new password on standard input)\n"
    "  brelmox-server user disable|enable ORG USER STORAGE\n"
    "  brelmox-server user release ORG USER STORAGE   (undoes the user's check-outs)\n"
    "  brelmox-server user notice ORG USER TEXT STORAGE   (empty TEXT removes it)\n"
    "  brelmox-server project add ORG PROJECT [--description TEXT] STORAGE\n"
    "  brelmox-server project list ORG [-json] STORAGE\n"
    "  brelmox-server project remove ORG PROJECT --yes STORAGE\n"
    "  brelmox-server serve STORAGE [--listen HOST:PORT] [--prefix PATH]\n"
    "                       [--tls-cert FILE --tls-key FILE] [--max-request-size BYTES[K|M|G]]\n"
    "                       [--threads N] [--max-file-size BYTES[K|M|G]]\n"
    "  brelmox-server migrate --data DIR --database URL   (into an empty database)\n"
    "  brelmox-server backup [--data DIR] FILE   (a zip of the data folder, while it serves)\n"
    "  brelmox-server restore [--data DIR] FILE   (into a data folder not yet initialised)\n"
    "STORAGE is --data DIR (default ./brelmox-data) or --database postgresql://USER@HOST:PORT/DB\n"
    "(libpq's PG* variables fill in the rest). --listen defaults to 127.0.0.1:8080 (port 0\n"
    "picks a free one). -json prints one JSON object a line.\n";

// Options that take no value.
const std::set<std::string> kSwitches = {"--yes", "-json"};

struct Command {
    std::vector<std::string> words;
    std::size_t arguments;
    std::vector<std::string> options;  // accepted besides --data and --database
    void (*run)(const Invocation& invocation);
    std::vector<std::string> switches = {};
};

Invocation Parse(const std::vector<std::string>& arguments) {
    Invocation invocation;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (!optionsEnded && kSwitches.count(word) != 0) {
            invocation.switches.insert(word);
        } else if (optionsEnded || word.rfind("--", 0) != 0) {
            invocation.words.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (const std::size_t equals = word.find('='); equals != std::string::npos) {
            invocation.options[word.substr(0, equals)] = word.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            invocation.options[word] = arguments[++i];
        } else {
            throw UsageError("The option " + word + " needs a value.");
        }
    }
    return invocation;
}

void RunInit(const Invocation& invocation) {
    const std::string shown = CreateStorage(invocation.Storage());
    std::printf("Initialised %s.\n", shown.c_str());
}

void RunOrgAdd(const Invocation& invocation) {
    const std::unique_ptr<Storage> storage = OpenStorage(invocation.Storage());
    AddOrganization(*storage, invocation.words[2]);
    std::printf("Added the organization '%s'.\n", invocation.words[2].c_str());
}

void RunUserAdd(const Invocation& invocation) {
    const std::string& user = invocation.words[3];
    const std::string password = ReadPassword(user);
    const std::unique_ptr<Storage> storage = OpenStorage(invocation.Storage());
    AddUser(*storage, invocation.words[2], user, password);
    std::printf("Added the user '%s' to '%s'.\n", user.c_str(), invocation.words[2].c_str());
}

void RunUserNotice(const Invocation& invocation) {
    const std::unique_ptr<Storage> storage = OpenStorage(invocation.Storage());
    SetUserNotice(*storage, invocation.words[2], invocation.words[3], invocation.words[4]);
    std::printf(
        invocation.words[4].empty() ? "Removed the notice of '%s'.\n" : "Set the notice of '%s'.\n",
        invocation.words[3].c_str());
}

void RunProjectAdd(const Invocation& invocation) {
    const std::unique_ptr<Storage> storage = OpenStorage(invocation.Storage());
    AddProject(*storage, invocation.words[2], invocation.words[3],
               invocation.Option("--description", ""));
    std::printf("Added the project '%s' to '%s'.\n", invocation.words[3].c_str(),
                invocation.words[2].c_str());
}

void RunMigrate(const Invocation& invocation) {
    const std::string url = invocation.Option("--database", "");
    if (url.empty()) throw UsageError("migrate needs --database URL.");
    std::printf("%s\n", MigrateDataFolder(invocation.DataFolderPath(), url).c_str());
}

void RunServe(const Invocation& invocation) {
    ServeOptions options;
    options.dataFolder = invocation.DataFolderPath();
    options.databaseUrl = invocation.Option("--database", "");
    ReadListenAddress(invocation.Option("--listen", "127.0.0.1:8080"), options);
    options.prefix = invocation.Option("--prefix", "");
    options.tlsCertificate = invocation.Option("--tls-cert", "");
    options.tlsKey = invocation.Option("--tls-key", "");
    if (options.tlsCertificate.empty() != options.tlsKey.empty()) {
        throw UsageError("--tls-cert and --tls-key go together.");
    }
    options.maxRequestBytes = ReadByteCount(
        invocation.Option("--max-request-size", std::to_string(options.maxRequestBytes)));
    const std::string fileLimit = invocation.Option("--max-file-size", "");
    if (!fileLimit.empty()) options.maxFileBytes = ReadByteCount(fileLimit);
    options.threads =
        ReadThreadCount(invocation.Option("--threads", std::to_string(options.threads)));
    Serve(options);
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {{"init"}, 0, {}, RunInit},
        {{"org", "add"}, 1, {}, RunOrgAdd},
        {{"org", "list"}, 0, {}, RunOrgList, {"-json"}},
        {{"user", "add"}, 2, {}, RunUserAdd},
        {{"user", "list"}, 1, {}, RunUserList, {"-json"}},
        {{"user", "passwd"}, 2, {}, RunUserPasswd},
        {{"user", "disable"}, 2, {}, RunUserDisable},
        {{"user", "enable"}, 2, {}, RunUserEnable},
        {{"user", "release"}, 2, {}, RunUserRelease},
        {{"user", "notice"}, 3, {}, RunUserNotice},
        {{"project", "add"}, 2, {"--description"}, RunProjectAdd},
        {{"project", "list"}, 1, {}, RunProjectList, {"-json"}},
        {{"project", "remove"}, 2, {}, RunProjectRemove, {"--yes"}},
        {{"backup"}, 1, {}, RunBackup},
        {{"restore"}, 1, {}, RunRestore},
        {{"serve"},
         0,
         {"--listen", "--prefix", "--tls-cert", "--tls-key", "--max-request-size", "--threads",
          "--max-file-size"},
         RunServe},
        {{"migrate"}, 0, {}, RunMigrate},
    };
    return commands;
}

bool Names(const Command& command, const Invocation& invocation) {
    if (invocation.words.size() < command.words.size()) return false;
    return std::equal(command.words.begin(), command.words.end(), invocation.words.begin());
}

const Command& Choose(const Invocation& invocation) {
    for (const Command& command : Commands()) {
        if (!Names(command, invocation)) continue;
        if (invocation.words.size() != command.words.size() + command.arguments) {
            throw UsageError("Wrong number of arguments.");
        }
        for (const auto& [name, value] : invocation.options) {
            if (name != "--data" && name != "--database" &&
                std::find(command.options.begin(), command.options.end(), name) ==
                    command.options.end()) {
                throw UsageError("Unknown option " + name + ".");
            }
        }
        for (const std::string& name : invocation.switches) {
            if (std::find(command.switches.begin(), command.switches.end(), name) ==
                command.switches.end()) {
                throw UsageError("Unknown option " + name + ".");
            }
        }
        return command;
    }
    throw UsageError(invocation.words.empty() ? "No command given." : "Unknown command.");
}

}  // namespace

const char* Usage() {
    return kUsage;
}

int RunCommandLine(const std::vector<std::string>& arguments) {
    try {
        const Invocation invocation = Parse(arguments);
        Choose(invocation).run(invocation);
        return 0;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "brelmox-server: %s\n%s", error.what(), kUsage);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "brelmox-server: %s\n", error.what());
    }
    return 1;
}

}  // namespace server
