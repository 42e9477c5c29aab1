// Add and check in: statuses, the version they make, and refusals that change nothing.
#include <filesystem>

#include "server_fixture.h"

namespace servertest {
namespace {

class UploadTest : public ServerFixture {};

std::string Refusal(int status, const std::string& text) {
    return "--AaB03x\nprotocol:1\n--AaB03x\nstatus:" + std::to_string(status) +
           "\n--AaB03x\nerror:" + text + "\n";
}

TEST_F(UploadTest, AddAnswersTheNameAndTheFolderItWentTo) {
    EXPECT_EQ(Upload("Src/util", "b.c", "int b;"),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nname:b.c\n"
              "--AaB03x\nviewpath:Src\\util\n");
    EXPECT_EQ(
        Upload("", "top.c", "x"),
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nname:top.c\n--AaB03x\nviewpath:\n");
}

TEST_F(UploadTest, FileNameIsTheLastComponentOfEitherSeparator) {
    const Fields fields =
        With(Who(), {{"viewpath", "Docs\\"}, {"checkin", "N"}, {"description", ""}});
    const Fields answer = ParseFields(Post(
        "add_files_from_cli.php", UploadBody(fields, "/home/ann/notes/read.me", Archive("r"))));
    EXPECT_EQ(answer[2].second, "read.me");
    EXPECT_EQ(answer[3].second, "Docs");
}

TEST_F(UploadTest, SecondAddOfTheSameFileIsRefused) {
    Upload("Src", "a.c", "one");
    EXPECT_EQ(Upload("Src", "a.c", "two"),
              Refusal(-2007, "File 'Src/a.c' already exists in the repository."));
}

TEST_F(UploadTest, CheckInRefusals) {
    Upload("Src", "a.c", "one");
    EXPECT_EQ(Upload("Src", "b.c", "x", true),
              Refusal(-2009, "File 'Src/b.c' is not in the repository."));
    EXPECT_EQ(Upload("Src", "a.c", "two", true),
              Refusal(-2010, "File 'Src/a.c' is not checked out."));
    Get("Src/a.c", false, true, {}, "bob");
    EXPECT_EQ(Upload("Src", "a.c", "two", true),
              Refusal(-2008, "File 'Src/a.c' is checked out by bob."));
}

TEST_F(UploadTest, CheckInMakesTheNextVersionAndReleasesTheCheckOut) {
    Upload("Src", "a.c", "one");
    Get("Src/a.c", false, true);
    EXPECT_EQ(ParseFields(Upload("Src", "a.c", "two", true))[1].second, "0");
    const std::vector<Record> latest = ParseRecords(Get("Src/a.c"));
    ASSERT_EQ(latest.size(), 1u);
    EXPECT_EQ(latest[0].fields.at("version"), "2");
    EXPECT_EQ(Unpacked(latest[0].content), "two");
    EXPECT_EQ(Upload("Src", "a.c", "three", true),
              Refusal(-2010, "File 'Src/a.c' is not checked out."));
}

TEST_F(UploadTest, UnchangedCheckInReleasesTheCheckOutWithoutAVersion) {
    Upload("Src", "a.c", "same");
    Get("Src/a.c", false, true);
    EXPECT_EQ(Upload("Src", "a.c", "same", true),
              Refusal(-2011,
                      "File 'Src/a.c' is unchanged: no new version was made and the "
                      "check-out was released."));
    EXPECT_EQ(ParseRecords(Get("Src/a.c"))[0].fields.at("version"), "1");
    EXPECT_EQ(Upload("Src", "a.c", "same", true),
              Refusal(-2010, "File 'Src/a.c' is not checked out."));
}

TEST_F(UploadTest, AddingARemovedFileBringsItBackWithTheNextVersion) {
    Upload("", "a.c", "one");
    Post("remove_files_from_cli.php",
         FormBody(With(Who(), {{"recurse", "N"}, {"viewpath", "a.c"}})));
    EXPECT_EQ(ParseFields(Upload("", "a.c", "again"))[1].second, "0");
    const std::vector<Record> records = ParseRecords(Get("a.c"));
    EXPECT_EQ(records[0].fields.at("version"), "2");
}

struct DamagedCase {
    const char* name;
    std::string (*damage)(std::string archive);
};
void PrintTo(const DamagedCase& c, std::ostream* out) {
    *out << c.name;
}

// The CRC sits at offset 14 of the local header and 16 of the central directory entry.
std::string WrongCrc(std::string archive) {
    archive[14] = static_cast<char>(archive[14] ^ 0x5a);
    const std::size_t central = archive.find("PK\x01\x02");
    archive[central + 16] = static_cast<char>(archive[central + 16] ^ 0x5a);
    return archive;
}
std::string NotAZip(std::string) {
    return "this is plain text, not an archive";
}
std::string CutShort(std::string archive) {
    return archive.substr(0, archive.size() / 2);
}

class DamagedArchiveTest : public ServerFixture,
                           public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedArchiveTest, IsRefusedAndChangesNothing) {
    Upload("Src", "a.c", "first version");
    Get("Src/a.c", false, true);
    const std::string before = Snapshot();
    for (const bool checkin : {false, true}) {
        const Fields fields = With(
            Who(), {{"viewpath", "Src"}, {"checkin", checkin ? "Y" : "N"}, {"description", ""}});
        const std::string archive = GetParam().damage(Archive("second version, long enough"));
        EXPECT_EQ(Post("add_files_from_cli.php", UploadBody(fields, "new.c", archive)),
                  Refusal(-2104,
                          "The uploaded archive of 'Src/new.c' is damaged (not a zip "
                          "archive, or a failed CRC check)."));
    }
    EXPECT_EQ(Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedArchiveTest,
                         ::testing::Values(DamagedCase{"WrongCrc", WrongCrc},
                                           DamagedCase{"NotAZip", NotAZip},
                                           DamagedCase{"CutShort", CutShort}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UploadTest, PathsThatLeaveTheProjectAreRefusedAndChangeNothing) {
    const std::string before = Snapshot();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"..", "a.c"},      {"Src/../..", "a.c"}, {"/etc", "a.c"}, {"\\Src", "a.c"},
        {"C:\\Src", "a.c"}, {"Src", ".."},        {"S*c", "a.c"},  {"Src", "a?.c"},
    };
    for (const auto& [folder, name] : cases) {
        const Fields fields =
            With(Who(), {{"viewpath", folder}, {"checkin", "N"}, {"description", ""}});
        const Fields answer =
            ParseFields(Post("add_files_from_cli.php", UploadBody(fields, name, Archive("x"))));
        ASSERT_GE(answer.size(), 2u);
        EXPECT_EQ(answer[1].second, "-2103") << folder << " / " << name;
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(UploadTest, UploadWithoutItsFilePartIsMalformed) {
    const Fields fields = With(Who(), {{"viewpath", "Src"}, {"checkin", "N"}, {"description", ""}});
    EXPECT_EQ(Post("add_files_from_cli.php", FormBody(fields)),
              Refusal(-2101, "Malformed request: the file part 'userfile' is missing."));
}

TEST_F(UploadTest, IdenticalArchivesShareOneStoredObject) {
    const std::string archive = Archive("shared bytes");
    for (const char* name : {"a.c", "b.c"}) {
        const Fields fields =
            With(Who(), {{"viewpath", ""}, {"checkin", "N"}, {"description", ""}});
        Post("add_files_from_cli.php", UploadBody(fields, name, archive));
    }
    const std::vector<Record> records = ParseRecords(Get("*.c"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].content, archive);
    EXPECT_EQ(records[1].content, archive);
    std::size_t objects = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data_ + "/objects")) {
        objects += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(objects, 1u);
}

}  // namespace
}  // namespace servertest
