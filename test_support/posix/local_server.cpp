#include "test_support/local_server.h"

#include <gtest/gtest.h>

#include <utility>

#include "test_support/run_program.h"

namespace testsupport {

namespace {

bool RunOrFail(const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& env, const std::string& input = "") {
    const RunResult run = RunProgram(arguments, env, input);
    if (run.exitStatus == 0) return true;
    ADD_FAILURE() << ::testing::PrintToString(arguments) << " failed: " << run.stderrText
                  << run.stdoutText;
    return false;
}

}  // namespace

LocalServer::LocalServer(const TempDir& dir, const std::vector<std::string>& users,
                         Transport transport)
    : dir_(dir) {
    const std::string data = dir.Path("data");
    std::vector<std::pair<std::vector<std::string>, std::string>> commands = {
        {{"init"}, ""}, {{"org", "add", "Acme"}, ""}, {{"project", "add", "Acme", "Web"}, ""}};
    for (const std::string& user : users) {
        commands.push_back({{"user", "add", "Acme", user}, user + "-secret\n"});
    }
    for (auto [arguments, password] : commands) {
        arguments.insert(arguments.begin(), BinPath("brelmox-server"));
        arguments.insert(arguments.end(), {"--data", data});
        if (!RunOrFail(arguments, {}, password)) return;
    }
    std::vector<std::string> serve = {BinPath("brelmox-server"), "serve", "--data", data};
    serve.insert(serve.end(), {"--listen", "127.0.0.1:0", "--prefix", "scm"});
    if (transport == Transport::Tls) {
        certificate_.emplace();
        serve.insert(serve.end(), {"--tls-cert", certificate_->CertPath(), "--tls-key",
                                   certificate_->KeyPath()});
    }
    server_.emplace(serve, std::map<std::string, std::string>{}, dir.Path("server.log"));
    const std::optional<std::string> listening = server_->WaitForLine("listening on ");
    if (!listening) {
        ADD_FAILURE() << "the server did not start:\n" << dir.ReadFile("server.log");
        return;
    }
    address_ = listening->substr(std::string("listening on ").size());
    for (const std::string& user : users) Configure(user);
}

std::string LocalServer::ConfigHome(const std::string& user) const {
    return dir_.Path("config-" + user);
}

void LocalServer::Configure(const std::string& user) {
    const std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", ConfigHome(user)}};
    const char* key = "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection";
    for (std::vector<std::string> value :
         {std::vector<std::string>{"/v", "URL", "/d", address_},
          {"/v", "Virtual Directory", "/d", "scm"},
          {"/v", "Secure", "/t", "REG_BINARY", "/d", certificate_ ? "01" : "00"}}) {
        value.insert(value.begin(), {BinPath("brelmox-reg"), "add", key});
        if (!RunOrFail(value, env)) return;
    }
    RunOrFail({BinPath("brelmox"), "cfg", "-u", user, "-pw", user + "-secret", "-o", "Acme", "-pr",
               "Web"},
              env);
}

}  // namespace testsupport
