// A refused file reaches the notifier as that file's outcome, with the server's status and
// text, and never as a message: what to show of it is the notifier's decision.
#include <gtest/gtest.h>

#include <functional>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;

using FileOutcomeTest = TransferTest;

TEST_F(FileOutcomeTest, RefusalsReachFileDoneWithStatusAndText) {
    const std::string source = dir.WriteFile("src/a.c", "a");
    struct Case {
        const char* what;
        std::function<int()> run;
        std::string answer;
        int result;
        FileOutcome outcome;
    };
    const Case cases[] = {
        {"get",
         [&] { return GetFiles("Src/a.c", local(), 0, 0, 0, "", "", "", context); },
         RefusalRecord(-2002, "No file matches 'Src/a.c'."),
         -2002,
         {FileAction::Get, -2002, "No file matches 'Src/a.c'.", local(), "Src/a.c", ""}},
        {"co",
         [&] { return GetFiles("Src/a.c", local(), 0, 0, 1, "", "", "", context); },
         RefusalRecord(-2008, "File 'Src/a.c' is checked out by bob."),
         -2008,
         {FileAction::Checkout, -2008, "File 'Src/a.c' is checked out by bob.", local(), "Src/a.c",
          ""}},
        {"unco",
         [&] { return UncheckoutFiles(context, "Src/a.c", 0); },
         RefusalRecord(-2010, "File 'Src/a.c' is not checked out."),
         -2010,
         {FileAction::Uncheckout, -2010, "File 'Src/a.c' is not checked out.", "", "Src/a.c", ""}},
        {"rm",
         [&] { return RemoveFiles(context, "Src/a.c", 0); },
         RefusalRecord(-2008, "File 'Src/a.c' is checked out by bob."),
         -2008,
         {FileAction::Remove, -2008, "File 'Src/a.c' is checked out by bob.", "", "Src/a.c", ""}},
        {"add",
         [&] { return AddFile(context, 0, source, "Src", ""); },
         testsupport::StatusBody(-2007, "File 'Src/a.c' already exists."),
         -2007,
         {FileAction::Add, -2007, "File 'Src/a.c' already exists.", source, "Src", ""}},
        // An unchanged file is still shown, yet the check-in succeeds.
        {"ci",
         [&] { return AddFile(context, 1, source, "Src", ""); },
         testsupport::StatusBody(-2011, "File 'Src/a.c' is unchanged."),
         0,
         {FileAction::Checkin, -2011, "File 'Src/a.c' is unchanged.", source, "Src", ""}},
    };
    for (const Case& c : cases) {
        server.Enqueue(Answer({HttpResponse(c.answer)}));
        testsupport::NotifierLog reported =
            Reported([&] { EXPECT_EQ(c.run(), c.result) << c.what; });
        EXPECT_EQ(reported.files, std::vector<FileOutcome>{c.outcome}) << c.what;
        EXPECT_EQ(reported.messages, std::vector<std::string>{}) << c.what;
    }
}

}  // namespace

}  // namespace brelmox
