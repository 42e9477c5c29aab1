// The brelmox program run as a user runs it, against a scripted server.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "client/context.h"
#include "client/messages.h"
#include "platform/registry_file.h"
#include "test_support/answer_bytes.h"
#include "test_support/run_program.h"
#include "test_support/saved_registry_keys.h"
#include "test_support/scoped_variable.h"
#include "test_support/scripted_server.h"
#include "test_support/temp_dir.h"

class BrelmoxProgram : public ::testing::Test {
  protected:
    std::string config() const { return dir.Path("config"); }

    testsupport::RunResult Run(std::vector<std::string> arguments,
                               std::map<std::string, std::string> environment = {}) {
        arguments.insert(arguments.begin(), testsupport::BinPath("brelmox"));
        environment["XDG_CONFIG_HOME"] = config();
        return testsupport::RunProgram(arguments, environment, "", dir.Path());
    }

    std::string Stored(const char* name) {
        platform::RegValues values;
        if (!platform::RegReadKey(brelmox::BuildKeyPath(brelmox::msg::kConfigKey), &values))
            return "<no key>";
        auto found = values.find(name);
        return found == values.end() ? "<absent>" : found->second.data;
    }

    // A configured user and project, and a server that accepts every request.
    void Connect() {
        for (const auto& [name, value] : {std::pair{"Username", "alice"},
                                          {"Password", "pw"},
                                          {"Organization", "Acme"},
                                          {"Project", "Web"}}) {
            brelmox::WriteRegString(brelmox::BuildKeyPath(brelmox::msg::kConfigKey), name, value);
        }
        brelmox::WriteRegString(brelmox::BuildKeyPath(brelmox::msg::kConnectionKey), "URL",
                                server.HostAndPort());
        AcceptEveryRequest();
    }

    void AcceptEveryRequest() {
        server.SetDefaultReply(testsupport::Answer(
            {testsupport::HttpResponse(testsupport::KeywordField("protocol:", "1") +
                                       testsupport::KeywordField("status:", "0"))}));
    }

    // Connect(), with the start-up accepted and the next requests answered with these
    // keyword answers in turn.
    void AnswerAfterStartUp(const std::vector<std::string>& bodies) {
        Connect();
        server.Enqueue(testsupport::StatusReply(0));
        server.Enqueue(testsupport::StatusReply(0));
        for (const std::string& body : bodies) {
            server.Enqueue(testsupport::Answer({testsupport::HttpResponse(body)}));
        }
    }

    // The body of the request that followed the start-up requests.
    std::string CommandBody(size_t startupRequests = 2) {
        EXPECT_EQ(server.RequestCount(), startupRequests + 1);
        return server.RequestCount() > startupRequests ? server.Request(startupRequests).body : "";
    }

    static std::string Field(const std::string& name, const std::string& value) {
        return "name=\"" + name + "\"\r\n\r\n" + value + "\r\n--AaB03x";
    }

    testsupport::TempDir dir;
    testsupport::ScopedVariable configHome{"XDG_CONFIG_HOME", config()};
    // On Windows the program and the test share the registry.
    testsupport::SavedRegistryKeys savedKeys{{brelmox::BuildKeyPath(brelmox::msg::kConfigKey),
                                              brelmox::BuildKeyPath(brelmox::msg::kConnectionKey)}};
    testsupport::ScriptedServer server;
};
