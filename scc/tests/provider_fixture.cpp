#include "scc/tests/provider_fixture.h"

#include <filesystem>

#include "client/context.h"
#include "client/messages.h"
#include "scc/lifecycle.h"
#include "test_support/answer_bytes.h"

namespace scctest {

std::vector<std::string>& TextOut() {
    static std::vector<std::string> lines;
    return lines;
}

LONG RecordTextOut(LPCSTR message, DWORD type) {
    TextOut().push_back(std::to_string(type) + " " + message);
    return 0;
}

ProviderTest::ProviderTest() {
    std::filesystem::create_directory(dir.Path("tmp"));
    const std::string connection = brelmox::BuildKeyPath(brelmox::msg::kConnectionKey);
    brelmox::WriteRegString(connection, brelmox::msg::kValURL, server.HostAndPort());
    brelmox::WriteRegString(connection, brelmox::msg::kValVirtualDirectory, "");
    const std::string config = brelmox::BuildKeyPath(brelmox::msg::kConfigKey);
    brelmox::WriteRegString(config, brelmox::msg::kValOrganization, "Acme");
    brelmox::WriteRegString(config, brelmox::msg::kValUsername, "alice");
    brelmox::WriteRegString(config, brelmox::msg::kValPassword, "secret");
}

ProviderTest::~ProviderTest() {
    brelmoxscc::Uninitialize(ideContext);
}

std::string ProviderTest::Record(int status, const std::string& error) {
    std::string fields = testsupport::StatusBody(status, error);
    if (status == 0) {
        fields += testsupport::KeywordField("name:", "a.c") +
                  testsupport::KeywordField("viewpath:", "src");
    }
    return fields + testsupport::RecordEnd();
}

brelmoxscc::ProviderContext& ProviderTest::LoggedIn() {
    ui.logins.push_back(LoginValues{"Acme", "alice", "secret"});
    server.Enqueue(testsupport::StatusReply(0));
    const SCCRTN result = brelmoxscc::Initialize(ui, &ideContext, "test", nullptr, nullptr, nullptr,
                                                 nullptr, nullptr);
    EXPECT_EQ(result, SCC_OK);
    auto& context = *static_cast<brelmoxscc::ProviderContext*>(ideContext);
    context.m_strLocalProjectPath = dir.Path("app");
    return context;
}

std::string ProviderTest::Field(size_t request, const std::string& name) const {
    const std::string body = server.Request(request).body;
    const std::string head = "name=\"" + name + "\"\r\n\r\n";
    const size_t start = body.find(head);
    if (start == std::string::npos) return "";
    const size_t value = start + head.size();
    return body.substr(value, body.find("\r\n", value) - value);
}

std::vector<std::string> ProviderTest::Scripts() const {
    std::vector<std::string> scripts;
    for (const testsupport::RecordedRequest& request : server.RecordedRequests()) {
        scripts.push_back(request.target.substr(request.target.rfind('/') + 1));
    }
    return scripts;
}

}  // namespace scctest
