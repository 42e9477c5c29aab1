// A provider session against a scripted server: a private configuration whose Connection
// key points at the server, and a scripted user in front of the dialogs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scc/provider_context.h"
#include "scc/scc_api.h"
#include "scc/tests/scripted_ui.h"
#include "test_support/scoped_variable.h"
#include "test_support/scripted_server.h"
#include "test_support/temp_dir.h"

namespace scctest {

// The IDE's output window: every text-output message as "TYPE TEXT", in order.
std::vector<std::string>& TextOut();
LONG RecordTextOut(LPCSTR message, DWORD type);

class ProviderTest : public ::testing::Test {
  protected:
    ProviderTest();
    ~ProviderTest() override;

    // A record of a multi-record answer: the status fields, a name and a view path.
    static std::string Record(int status, const std::string& error = "");

    // Initialises with a login the server accepts and opens the project folder
    // dir.Path("app") without a request; the context stays the fixture's until it ends.
    brelmoxscc::ProviderContext& LoggedIn();

    // The value of a multipart field in the request at index, "" when it is absent.
    std::string Field(size_t request, const std::string& name) const;
    std::vector<std::string> Scripts() const;

    testsupport::TempDir dir;
    testsupport::ScopedVariable configHome{"XDG_CONFIG_HOME", dir.Path("config")};
    testsupport::ScopedVariable tmp{"TMPDIR", dir.Path("tmp")};
    testsupport::ScriptedServer server;
    ScriptedUi ui;
    void* ideContext = nullptr;
};

}  // namespace scctest
