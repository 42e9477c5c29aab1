#include "client/tests/wire_fixture.h"

#include <filesystem>
#include <memory>

namespace brelmox {

WireTest::WireTest() {
    std::filesystem::create_directory(dir.Path("tmp"));
    context.SetNotifier(std::make_unique<testsupport::RecordingNotifier>(&log));
    context.m_strURL = server.HostAndPort();
    context.m_strUsername = "alice";
    context.m_strPassword = "secret";
    context.m_strOrganization = "Acme";
    context.m_strProject = "Web";
}

testsupport::NotifierLog WireTest::Reported(const std::function<void()>& operation) {
    log = {};
    operation();
    return log;
}

std::string WireTest::StatusBody(int status, const std::string& error) {
    std::string body = testsupport::KeywordField("protocol:", "1") +
                       testsupport::KeywordField("status:", std::to_string(status));
    if (!error.empty()) body += testsupport::KeywordField("error:", error);
    return body;
}

testsupport::ScriptedReply WireTest::StatusReply(int status, const std::string& error) {
    return testsupport::Answer({testsupport::HttpResponse(StatusBody(status, error))});
}

}  // namespace brelmox
