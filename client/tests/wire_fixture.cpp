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

}  // namespace brelmox
