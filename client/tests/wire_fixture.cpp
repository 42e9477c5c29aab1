#include "client/tests/wire_fixture.h"

#include <cstdlib>
#include <memory>

namespace brelmox {

WireTest::WireTest() {
    if (const char* home = std::getenv("XDG_CONFIG_HOME")) savedConfigHome_ = home;
    setenv("XDG_CONFIG_HOME", dir.Path("config").c_str(), 1);
    context.SetNotifier(std::make_unique<testsupport::RecordingNotifier>(&log));
    context.m_strURL = server.HostAndPort();
    context.m_strUsername = "alice";
    context.m_strPassword = "secret";
    context.m_strOrganization = "Acme";
    context.m_strProject = "Web";
}

WireTest::~WireTest() {
    if (savedConfigHome_.empty()) {
        unsetenv("XDG_CONFIG_HOME");
    } else {
        setenv("XDG_CONFIG_HOME", savedConfigHome_.c_str(), 1);
    }
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
