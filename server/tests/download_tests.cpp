// Get and check out: what a view path selects, versions and labels, and the records.
#include "server_fixture.h"

namespace servertest {
namespace {

class DownloadTest : public ServerFixture {
  protected:
    void SetUp() override {
        ServerFixture::SetUp();
        Upload("", "readme.txt", "readme");
        Upload("Src", "main.c", "main");
        Upload("Src", "main.h", "header");
        Upload("Src/util", "str.c", "str");
        Upload("Src/util/deep", "main.c", "deep main");
        Upload("Src-old", "x.c", "old");
    }

    // "folder/name" of every file record, or "status" for a refusal record.
    std::vector<std::string> Selected(const std::string& viewPath, bool recurse) {
        std::vector<std::string> names;
        for (const Record& record : ParseRecords(Get(viewPath, recurse))) {
            if (record.fields.at("status") != "0") {
                names.push_back(record.fields.at("status"));
                continue;
            }
            const std::string folder = record.fields.at("viewpath");
            names.push_back(folder.empty() ? record.fields.at("name")
                                           : folder + "\\" + record.fields.at("name"));
        }
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(DownloadTest, FileRecordLayout) {
    const std::string archive = Archive("layout");
    const Fields fields =
        With(Who(), {{"viewpath", "Docs"}, {"checkin", "N"}, {"description", ""}});
    Post("add_files_from_cli.php", UploadBody(fields, "l.txt", archive));
    EXPECT_EQ(
        Get("Docs/l.txt"),
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nname:l.txt\n--AaB03x\nversion:1\n"
        "--AaB03x\nsize:" +
            std::to_string(archive.size()) + "\n--AaB03x\nviewpath:Docs\n--AaB03x\ncontent:\n" +
            archive + "--AaB03x--\n");
}

TEST_F(DownloadTest, ViewPathSelects) {
    EXPECT_EQ(Selected("Src/main.c", false), Names({"Src\\main.c"}));
    EXPECT_EQ(Selected("Src\\main.c", false), Names({"Src\\main.c"}));
    EXPECT_EQ(Selected("Src/main.c", true), Names({"Src\\main.c", "Src\\util\\deep\\main.c"}));
    EXPECT_EQ(Selected("Src/*.c", false), Names({"Src\\main.c"}));
    EXPECT_EQ(Selected("Src/*.c", true),
              Names({"Src\\main.c", "Src\\util\\str.c", "Src\\util\\deep\\main.c"}));
    EXPECT_EQ(Selected("Src", false), Names({"Src\\main.c", "Src\\main.h"}));
    EXPECT_EQ(Selected("Src/", true),
              Names({"Src\\main.c", "Src\\main.h", "Src\\util\\str.c", "Src\\util\\deep\\main.c"}));
    EXPECT_EQ(Selected("*", false), Names({"readme.txt"}));
    EXPECT_EQ(Selected("*.*", true).size(), 6u);
}

TEST_F(DownloadTest, NothingMatchedIsOneRefusalRecord) {
    for (const char* viewPath : {"Src/none.c", "Nowhere", "Src/*.java", ""}) {
        EXPECT_EQ(
            Get(viewPath, true),
            "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2002\n--AaB03x\nerror:No file matches '" +
                std::string(viewPath) + "'.\n--AaB03x--\n");
    }
}

TEST_F(DownloadTest, EscapingViewPathIsRefused) {
    for (const char* viewPath : {"../web/Src", "Src/../../x", "/Src"}) {
        const std::vector<Record> records = ParseRecords(Get(viewPath, true));
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].fields.at("status"), "-2103") << viewPath;
    }
}

TEST_F(DownloadTest, VersionsAndLabelsSelectContent) {
    Post("create_label_cli.php", FormBody(With(Who(), {{"label", "R1"}, {"description", ""}})));
    Get("Src/main.c", false, true);
    Upload("Src", "main.c", "main v2", true);
    Upload("Src", "new.c", "new");

    EXPECT_EQ(Unpacked(ParseRecords(Get("Src/main.c"))[0].content), "main v2");
    EXPECT_EQ(
        Unpacked(ParseRecords(Get("Src/main.c", false, false, {{"version_no", "1"}}))[0].content),
        "main");
    EXPECT_EQ(Unpacked(ParseRecords(Get("Src/main.c", false, false, {{"label", "R1"}}))[0].content),
              "main");

    const std::vector<Record> labelled =
        ParseRecords(Get("Src/*.c", false, false, {{"label", "R1"}}));
    ASSERT_EQ(labelled.size(), 2u);
    EXPECT_EQ(labelled[0].fields.at("version"), "1");
    EXPECT_EQ(labelled[1].fields.at("status"), "-2013");
    EXPECT_EQ(labelled[1].fields.at("error"), "File 'Src/new.c' has no version labelled 'R1'.");

    const std::vector<Record> numbered =
        ParseRecords(Get("Src", true, false, {{"version_no", "2"}}));
    ASSERT_EQ(numbered.size(), 5u);
    EXPECT_EQ(numbered[0].fields.at("version"), "2");
    EXPECT_EQ(numbered[1].fields.at("error"), "File 'Src/main.h' has no version 2.");
}

TEST_F(DownloadTest, LabellingAgainMovesTheLabel) {
    const Fields label = With(Who(), {{"label", "R1"}, {"description", "first"}});
    Post("create_label_cli.php", FormBody(label));
    Get("Src/main.c", false, true);
    Upload("Src", "main.c", "main v2", true);
    Post("create_label_cli.php", FormBody(label));
    EXPECT_EQ(
        ParseRecords(Get("Src/main.c", false, false, {{"label", "R1"}}))[0].fields.at("version"),
        "2");
}

TEST_F(DownloadTest, InvalidVersionNumberIsRefused) {
    const std::vector<Record> records =
        ParseRecords(Get("Src/main.c", false, false, {{"version_no", "x1"}}));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fields.at("status"), "-2106");
}

TEST_F(DownloadTest, CheckOutOfAFileOutToAnotherUserIsARefusalRecord) {
    Get("Src/main.c", false, true, {}, "bob");
    const std::vector<Record> records = ParseRecords(Get("Src/*", false, true));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].fields.at("status"), "-2008");
    EXPECT_EQ(records[0].fields.at("error"), "File 'Src/main.c' is checked out by bob.");
    EXPECT_EQ(records[1].fields.at("status"), "0");
    EXPECT_EQ(ParseRecords(Get("Src/main.h", false, true))[0].fields.at("status"), "0")
        << "checking out one's own check-out again";
}

TEST_F(DownloadTest, ManyRecordsAreStreamedChunked) {
    for (int i = 0; i < 60; ++i)
        Upload("Many", "f" + std::to_string(100 + i), std::string(5000, 'a' + i % 26));
    const Fields fields = With(
        Who(), {{"recurse", "N"}, {"checkout", "N"}, {"viewpath", "Many"}, {"description", ""}});
    const httplib::Result result = PostRaw("/get_files_from_cli.php", FormBody(fields));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->get_header_value("Transfer-Encoding"), "chunked");
    EXPECT_FALSE(result->has_header("Content-Length"));
    const std::vector<Record> records = ParseRecords(result->body);
    ASSERT_EQ(records.size(), 60u);
    EXPECT_EQ(records[59].fields.at("name"), "f159");
    EXPECT_EQ(Unpacked(records[59].content), std::string(5000, 'a' + 59 % 26));
}

}  // namespace
}  // namespace servertest
