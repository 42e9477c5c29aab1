// Undo check-out and remove: one record per file, refusals among them.
#include <gtest/gtest.h>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;
using testsupport::KeywordField;

class RepositoryActionTest : public TransferTest {
  protected:
    static std::string Done(const std::string& name, const std::string& folder) {
        return StatusBody(0) + KeywordField("name:", name) + KeywordField("viewpath:", folder) +
               testsupport::RecordEnd();
    }
    void Serve(const std::string& body) {
        server.Enqueue(Answer(testsupport::SplitEvery(HttpResponse(body), 13)));
    }
};

TEST_F(RepositoryActionTest, EveryRecordIsReportedAndTheLastRefusalReturned) {
    Serve(Done("a.c", "Src") + RefusalRecord(-2008, "b.c is checked out by bob") + Done("c.c", ""));
    std::string printed = Printed([&] { EXPECT_EQ(RemoveFiles(context, "Src/*.c", 0), -2008); });
    EXPECT_EQ(printed,
              "File 'a.c' removed from 'Src'.\nb.c is checked out by bob\nFile 'c.c' removed from "
              "root.\n");
    EXPECT_EQ(server.Request(0).target, "/remove_files_from_cli.php");
    EXPECT_EQ(FieldOf(server.Request(0).body, "recurse"), "N");

    Serve(Done("a.c", "Src") + RefusalRecord(-2010, "b.c is not checked out") + Done("c.c", ""));
    printed = Printed([&] { EXPECT_EQ(UncheckoutFiles(context, "Src/*.c", 2), -2010); });
    EXPECT_EQ(printed,
              "File 'a.c' unchecked out from 'Src'.\nb.c is not checked out\n"
              "File 'c.c' unchecked out from root.\n");
    EXPECT_EQ(server.Request(1).target, "/uncheckout_from_cli.php");
    EXPECT_EQ(FieldNames(server.Request(1).body),
              (std::vector<std::string>{"username", "password", "organization", "project",
                                        "recurse", "viewpath"}));
    EXPECT_EQ(FieldOf(server.Request(1).body, "recurse"), "Y");
    EXPECT_EQ(FieldOf(server.Request(1).body, "viewpath"), "Src/*.c");
}

TEST_F(RepositoryActionTest, MessageBoxModeShowsOnlyRefusals) {
    context.m_bConsole = 0;
    std::vector<std::string> shown;
    SetMessageChannel([&](const std::string& text) { shown.push_back(text); });
    Serve(Done("a.c", "Src") + RefusalRecord(-2016, "checked out by bob"));
    std::string printed = Printed([&] { EXPECT_EQ(UncheckoutFiles(context, "Src", 0), -2016); });
    SetMessageChannel([](const std::string&) {});
    EXPECT_EQ(printed, "");
    EXPECT_EQ(shown, std::vector<std::string>{"checked out by bob"});
}

TEST_F(RepositoryActionTest, NoRecordIsSuccessAndABrokenRecordIsNot) {
    Serve("");
    EXPECT_EQ(RemoveFiles(context, "Src", 0), 0);
    const std::string record = Done("a.c", "Src");
    Serve(Done("z.c", "Src") + record.substr(0, record.size() - 4));
    std::string printed = Printed([&] { EXPECT_EQ(RemoveFiles(context, "Src", 0), -5); });
    EXPECT_EQ(
        printed,
        "File 'z.c' removed from 'Src'.\nThe server's answer ended in the middle of a record.\n");
}

}  // namespace

}  // namespace brelmox
