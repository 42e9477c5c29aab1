// Undo check-out and remove: one record per file, refusals as records.
#include "server_fixture.h"

namespace servertest {
namespace {

class ReleaseTest : public ServerFixture {
  protected:
    void SetUp() override {
        ServerFixture::SetUp();
        Upload("Src", "a.c", "a");
        Upload("Src", "b.c", "b");
        Upload("Src/sub", "c.c", "c");
    }

    std::string Act(const char* script, const std::string& viewPath, bool recurse,
                    const std::string& user = "alice") {
        return Post(
            script,
            FormBody(With(Who(user), {{"recurse", recurse ? "Y" : "N"}, {"viewpath", viewPath}})));
    }
};

TEST_F(ReleaseTest, UncheckoutAnswersEveryFile) {
    Get("Src/a.c", false, true);
    Get("Src/b.c", false, true, {}, "bob");
    EXPECT_EQ(
        Act("uncheckout_from_cli.php", "Src", true),
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nname:a.c\n--AaB03x\nviewpath:Src\n"
        "--AaB03x--\n"
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2016\n"
        "--AaB03x\nerror:File 'Src/b.c' is checked out by bob.\n--AaB03x--\n"
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2010\n"
        "--AaB03x\nerror:File 'Src/sub/c.c' is not checked out.\n--AaB03x--\n");
    EXPECT_EQ(ParseRecords(Get("Src/a.c", false, true, {}, "bob"))[0].fields.at("status"), "0")
        << "the released file can be checked out by someone else";
}

TEST_F(ReleaseTest, RemoveSparesFilesOutToOthersAndReleasesOwnCheckOuts) {
    Get("Src/a.c", false, true);
    Get("Src/b.c", false, true, {}, "bob");
    const std::vector<Record> records =
        ParseRecords(Act("remove_files_from_cli.php", "Src/*.c", false));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].fields.at("status"), "0");
    EXPECT_EQ(records[0].fields.at("name"), "a.c");
    EXPECT_EQ(records[1].fields.at("status"), "-2008");
    EXPECT_EQ(records[1].fields.at("error"), "File 'Src/b.c' is checked out by bob.");
    EXPECT_EQ(ParseRecords(Get("Src", true)).size(), 2u) << "b.c and sub/c.c remain";
}

TEST_F(ReleaseTest, NothingMatchedIsOneRefusalRecord) {
    for (const char* script : {"uncheckout_from_cli.php", "remove_files_from_cli.php"}) {
        EXPECT_EQ(Act(script, "Src/*.java", true),
                  "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2002\n"
                  "--AaB03x\nerror:No file matches 'Src/*.java'.\n--AaB03x--\n");
    }
}

TEST_F(ReleaseTest, RemovedFilesAreNoLongerSelected) {
    Act("remove_files_from_cli.php", "Src/a.c", false);
    EXPECT_EQ(
        ParseRecords(Act("remove_files_from_cli.php", "Src/a.c", false))[0].fields.at("status"),
        "-2002");
    EXPECT_EQ(ParseRecords(Get("Src/a.c"))[0].fields.at("status"), "-2002");
}

}  // namespace
}  // namespace servertest
