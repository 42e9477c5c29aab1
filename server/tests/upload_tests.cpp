// What an upload may cost the server's disk before it is trusted.
#include <filesystem>
#include <random>

#include "common/my_compress.h"
#include "raw_connection.h"
#include "server_fixture.h"

namespace servertest {
namespace {

class UploadTest : public ServerFixture {
  protected:
    std::vector<std::string> InTmp() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(data_ + "/tmp"))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(UploadTest, NoFileByteIsStoredBeforeTheUserAndProjectAreKnown) {
    std::string noise(100000, '\0');
    std::mt19937 random(7);  // content that does not compress, so the archive is large
    for (char& c : noise) c = static_cast<char>(random());
    const std::string archive = Archive(noise);
    Fields wrongPassword = Who();
    wrongPassword[1].second = "wrong";
    Fields unknownProject = Who();
    unknownProject[3].second = "shop";
    for (const auto& [status, who] :
         {std::pair{"-2014", wrongPassword}, {"-2018", unknownProject}}) {
        Fields fields = who;
        fields.insert(fields.end(), {{"viewpath", "Src"}, {"checkin", "N"}, {"description", ""}});
        const std::string start = FormBody(fields).substr(0, FormBody(fields).size() - 4) +
                                  "\r\n--AaB03x\r\nContent-Disposition: form-data; "
                                  "name=\"userfile\"; filename=\"a.c\"\r\n\r\n" +
                                  archive.substr(0, 1000);
        const std::string rest = archive.substr(1000) + "\r\n--AaB03x--\r\n";
        RawConnection connection(port_);
        connection.Send(
            "POST /add_files_from_cli.php HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " +
            std::string(kClientType) + "\r\nContent-Length: " +
            std::to_string(start.size() + rest.size()) + "\r\n\r\n" + start);
        connection.ReadUntilQuiet(300);
        EXPECT_EQ(InTmp(), std::vector<std::string>{}) << status << ": stored before trusted";
        connection.Send(rest);
        const std::string answer = connection.ReadUntilQuiet(500);
        EXPECT_NE(answer.find("status:" + std::string(status)), std::string::npos) << answer;
    }
}

TEST_F(UploadTest, AnArchiveUnpackingToMoreThanFourTimesTheRequestLimitIsRefused) {
    StopServer();
    server::ServeOptions options;
    options.maxRequestBytes = 64 << 10;
    StartServer(options);
    EXPECT_EQ(Statuses(Upload("Src", "fits.bin", std::string(256 << 10, '\0'))), "0");
    const std::string before = Snapshot();
    EXPECT_EQ(Upload("Src", "bomb.bin", std::string((256 << 10) + 1, '\0')),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2102\n--AaB03x\nerror:The uploaded archive "
              "of 'Src/bomb.bin' unpacks to more than the server accepts (262144 bytes).\n");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(UploadTest, ArchiveBytesHoldingTheBoundaryTextAreStoredLikeAnyOther) {
    // An entry's name is stored as is: this one puts the delimiter and the closing boundary
    // text into the archive's bytes, twice each.
    const std::string source = dir_.WriteFile("a\r\n--AaB03x\r\nb\r\n--AaB03x--\r\nc", "content");
    const std::string archivePath = dir_.Path("boundary.zip");
    brelmox::MyCompress zip;
    ASSERT_TRUE(zip.CompressFile(source, archivePath));
    const std::string archive = dir_.ReadFile(archivePath);
    ASSERT_NE(archive.find("\r\n--AaB03x--\r\n"), std::string::npos);
    EXPECT_EQ(Statuses(PostArchive("Src", "a.c", archive)), "0");
    EXPECT_EQ(Records(Get("Src/a.c")).at(0).content, archive);
}

}  // namespace
}  // namespace servertest
