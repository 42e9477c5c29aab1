#include "client/tests/wire_fixture.h"

#include <cstdlib>
#include <iostream>

namespace brelmox {

WireTest::WireTest() {
    if (const char* home = std::getenv("XDG_CONFIG_HOME")) savedConfigHome_ = home;
    setenv("XDG_CONFIG_HOME", dir.Path("config").c_str(), 1);
    context.m_bConsole = 1;
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

std::string WireTest::Printed(const std::function<void()>& operation) {
    testing::internal::CaptureStdout();
    operation();
    std::cout.flush();
    return testing::internal::GetCapturedStdout();
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
