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
        return testsupport::StatusBody(0) + KeywordField("name:", name) +
               KeywordField("viewpath:", folder) + testsupport::RecordEnd();
    }
    void Serve(const std::string& body) {
        server.Enqueue(Answer(testsupport::SplitEvery(HttpResponse(body), 13)));
    }
    static FileOutcome Acted(FileAction action, const std::string& name,
                             const std::string& folder) {
        return {action, 0, "", "", folder, name};
    }
    static FileOutcome Refused(FileAction action, int status, const std::string& error) {
        return {action, status, error, "", "Src/*.c", ""};
    }
};

TEST_F(RepositoryActionTest, EveryRecordIsReportedAndTheLastRefusalReturned) {
    Serve(Done("a.c", "Src") + RefusalRecord(-2008, "b.c is checked out by bob") + Done("c.c", ""));
    testsupport::NotifierLog reported =
        Reported([&] { EXPECT_EQ(RemoveFiles(context, "Src/*.c", 0), -2008); });
    EXPECT_EQ(reported.files, (std::vector<FileOutcome>{
                                  Acted(FileAction::Remove, "a.c", "Src"),
                                  Refused(FileAction::Remove, -2008, "b.c is checked out by bob"),
                                  Acted(FileAction::Remove, "c.c", ""),
                              }));
    EXPECT_EQ(server.Request(0).target, "/remove_files_from_cli.php");
    EXPECT_EQ(FieldOf(server.Request(0).body, "recurse"), "N");

    Serve(Done("a.c", "Src") + RefusalRecord(-2010, "b.c is not checked out") + Done("c.c", ""));
    reported = Reported([&] { EXPECT_EQ(UncheckoutFiles(context, "Src/*.c", 2), -2010); });
    EXPECT_EQ(reported.files, (std::vector<FileOutcome>{
                                  Acted(FileAction::Uncheckout, "a.c", "Src"),
                                  Refused(FileAction::Uncheckout, -2010, "b.c is not checked out"),
                                  Acted(FileAction::Uncheckout, "c.c", ""),
                              }));
    EXPECT_TRUE(reported.messages.empty());
    EXPECT_EQ(server.Request(1).target, "/uncheckout_from_cli.php");
    EXPECT_EQ(FieldNames(server.Request(1).body),
              (std::vector<std::string>{"username", "password", "organization", "project",
                                        "recurse", "viewpath"}));
    EXPECT_EQ(FieldOf(server.Request(1).body, "recurse"), "Y");
    EXPECT_EQ(FieldOf(server.Request(1).body, "viewpath"), "Src/*.c");
}

TEST_F(RepositoryActionTest, NoRecordIsSuccessAndABrokenRecordIsNot) {
    Serve("");
    EXPECT_EQ(RemoveFiles(context, "Src", 0), 0);
    EXPECT_TRUE(log.files.empty());
    const std::string record = Done("a.c", "Src");
    Serve(Done("z.c", "Src") + record.substr(0, record.size() - 4));
    testsupport::NotifierLog reported =
        Reported([&] { EXPECT_EQ(RemoveFiles(context, "Src", 0), -5); });
    EXPECT_EQ(reported.files, std::vector<FileOutcome>{Acted(FileAction::Remove, "z.c", "Src")});
    EXPECT_EQ(reported.messages,
              std::vector<std::string>{"The server's answer ended in the middle of a record."});
}

}  // namespace

}  // namespace brelmox
