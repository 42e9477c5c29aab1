// One record of a download that fails: whatever the way, the records behind it are read
// whole and no temporary archive is left behind.
#include "client/save_file_record.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "client/messages.h"
#include "client/multipart.h"
#include "client/tests/transfer_fixture.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

using testsupport::KeywordField;

class SaveFileRecordTest : public TransferTest {
  protected:
    // Reads the next record of the answer and saves it into local().
    int SaveNext(AnswerRecords& records) {
        std::string fields;
        bool hasContent = false;
        AnswerRecords::Next next = records.NextRecord(&fields, &hasContent);
        if (next != AnswerRecords::Next::Record) {
            ADD_FAILURE() << "no record, but " << static_cast<int>(next);
            return 1;
        }
        std::vector<std::string> unwritten;
        return SaveFileRecord(records, fields, hasContent, FileRequest{"Src", local(), 0, 0},
                              context, &unwritten);
    }
    // Names in a folder that a file operation left behind: temporary archives, scratch folders.
    static std::vector<std::string> Leftovers(const std::string& folder) {
        std::vector<std::string> names;
        for (const platform::FoundFile& found : platform::FindFiles(folder + "/*")) {
            if (found.name != "b.c" && found.name != "in-the-way.c") names.push_back(found.name);
        }
        return names;
    }
};

TEST_F(SaveFileRecordTest, FailedRecordLeavesTheNextOneWholeAndNoArchiveBehind) {
    const std::string archive = dir.ArchiveOf(Noise(5000));
    std::string damaged = archive;
    damaged[damaged.size() / 2] ^= 0x55;
    std::filesystem::create_directories(local() + "/in-the-way.c");
    struct Case {
        const char* what;
        std::string record;
        int code;
    };
    const Case cases[] = {
        {"refusal with content",
         testsupport::StatusBody(-2013, "a.c has no label R1") + KeywordField("content:", "") +
             archive + testsupport::RecordEnd(),
         -2013},
        {"unsafe name", testsupport::FileRecord("..", "", archive), -1004},
        {"unusable size", testsupport::FileRecord("a.c", "", archive, "5000x"), -1003},
        {"damaged archive", testsupport::FileRecord("a.c", "", damaged), -2027},
        {"a folder where the file goes", testsupport::FileRecord("in-the-way.c", "", archive),
         -1001},
    };
    const std::string next = testsupport::FileRecord("b.c", "Src", dir.ArchiveOf("next"));
    for (const Case& c : cases) {
        std::filesystem::remove(local() + "/b.c");
        server.Enqueue(testsupport::Answer({testsupport::HttpResponse(c.record + next)}));
        ServerCall call(context, "get_files_from_cli.php");
        MultipartBody body;
        ASSERT_EQ(call.Send(body, msg::kErrGettingFile), 0);
        AnswerRecords records(call, true);

        EXPECT_EQ(SaveNext(records), c.code) << c.what;
        EXPECT_EQ(SaveNext(records), 0) << c.what;
        EXPECT_EQ(dir.ReadFile(local() + "/b.c"), "next") << c.what;
        std::string fields;
        bool hasContent = false;
        EXPECT_EQ(records.NextRecord(&fields, &hasContent), AnswerRecords::Next::End) << c.what;
        EXPECT_EQ(Leftovers(dir.Path("tmp")), std::vector<std::string>{}) << c.what;
        EXPECT_EQ(Leftovers(local()), std::vector<std::string>{}) << c.what;
    }
}

}  // namespace

}  // namespace brelmox
