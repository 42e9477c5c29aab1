// A client context pointed at a scripted server, with private configuration and temporary
// folders (dir's "config" and "tmp"), and helpers to build keyword answers and to capture what an
// operation reports.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "client/context.h"
#include "test_support/answer_bytes.h"
#include "test_support/recording_notifier.h"
#include "test_support/scoped_variable.h"
#include "test_support/scripted_server.h"
#include "test_support/temp_dir.h"

namespace brelmox {

class WireTest : public ::testing::Test {
  public:
  protected:
    WireTest();

    // Runs an operation and returns what it reported through the context's notifier.
    testsupport::NotifierLog Reported(const std::function<void()>& operation);

    testsupport::TempDir dir;
    testsupport::ScopedVariable configHome{"XDG_CONFIG_HOME", dir.Path("config")};
    testsupport::ScopedVariable tempFolder{"TMPDIR", dir.Path("tmp")};
    testsupport::ScriptedServer server;
    testsupport::NotifierLog log;  // what the context's operations reported
    COstrelContext context;
};

}  // namespace brelmox
