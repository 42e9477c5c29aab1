// The answer of a get as the record stream gives it: small records gathered into few pieces,
// the bytes exactly those of the records one after another, and a stored archive that ends
// early cutting the answer only after everything before it.
#include "server/http/record_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>

namespace servertest {
namespace {

// Archives by address; one named "short" holds fewer bytes than its record says.
class ArchiveShelf final : public server::Storage {
  public:
    std::map<std::string, std::string> archives;

    std::unique_ptr<server::ReadTx> BeginRead() override { throw std::logic_error("unused"); }
    void RunWrite(const server::WriteWork&) override { throw std::logic_error("unused"); }
    server::TempFile NewUpload() override { throw std::logic_error("unused"); }
    void PrepareToServe() override {}
    std::unique_ptr<server::ContentSource> OpenContent(const std::string& address,
                                                       std::int64_t) override {
        return std::make_unique<Bytes>(archives.at(address));
    }

  private:
    class Bytes final : public server::ContentSource {
      public:
        explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}
        std::size_t Read(char* buffer, std::size_t capacity) override {
            const std::size_t count = std::min(capacity, bytes_.size() - at_);
            std::memcpy(buffer, bytes_.data() + at_, count);
            at_ += count;
            return count;
        }

      private:
        std::string bytes_;
        std::size_t at_ = 0;
    };
};

server::OutgoingRecord FileRecord(const std::string& name, std::int64_t size) {
    server::OutgoingRecord record;
    record.name = name;
    record.folder = "Src/util";
    record.version = 3;
    record.object = name;
    record.size = size;
    return record;
}

std::string RecordBytes(const std::string& name, const std::string& archive) {
    return "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nname:" + name +
           "\n--AaB03x\nversion:3\n--AaB03x\nsize:" + std::to_string(archive.size()) +
           "\n--AaB03x\nviewpath:Src\\util\n--AaB03x\ncontent:\n" + archive + "--AaB03x--\n";
}

TEST(RecordStreamTest, SmallRecordsGoOutTogetherAsTheirBytesFollowOneAnother) {
    ArchiveShelf shelf;
    std::vector<server::OutgoingRecord> records;
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        shelf.archives[name] = std::string(1000 + 37 * i, static_cast<char>('a' + i % 26));
        records.push_back(FileRecord(name, static_cast<std::int64_t>(shelf.archives[name].size())));
        expected += RecordBytes(name, shelf.archives[name]);
    }
    server::RecordStream stream(shelf, std::make_unique<server::ListedRecords>(records));
    std::string answer, piece;
    int pieces = 0;
    while (stream.Next(piece)) {
        answer += piece;
        ++pieces;
    }
    EXPECT_TRUE(answer == expected) << "the answer's bytes differ from the records'";
    EXPECT_LE(pieces, static_cast<int>(expected.size() / 65536 + 1)) << "small records went alone";
}

TEST(RecordStreamTest, AnArchiveThatEndsEarlyCutsTheAnswerAfterWhatCameBefore) {
    ArchiveShelf shelf;
    shelf.archives["a.c"] = "whole archive";
    shelf.archives["short"] = "cut";
    shelf.archives["b.c"] = "never sent";
    server::RecordStream stream(
        shelf, std::make_unique<server::ListedRecords>(std::vector<server::OutgoingRecord>{
                   FileRecord("a.c", 13), FileRecord("short", 10), FileRecord("b.c", 10)}));
    std::string answer, piece;
    const auto readAll = [&] {
        while (stream.Next(piece)) answer += piece;
    };
    EXPECT_THROW(readAll(), server::StorageError);
    const std::string shortRecord = RecordBytes("short", std::string(10, '.'));
    const std::string contentLine = "content:\n";
    EXPECT_EQ(answer,
              RecordBytes("a.c", "whole archive") +
                  shortRecord.substr(0, shortRecord.find(contentLine) + contentLine.size()));
}

}  // namespace
}  // namespace servertest
