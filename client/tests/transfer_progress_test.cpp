// The bytes of each transfer reach the notifier for a byte meter: an upload under its local
// file's name, after the packing of that file, a download under the name of the file whose
// archive is arriving, and one end after each transfer. And the requests of one context share a
// kept-open connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;
using testsupport::KeywordField;

const std::string kPacking = "packing ";

struct TransferEvent {
    std::string name;  // "end" for TransferEnd, kPacking before the name for PackingBytes
    uint64_t done = 0;
    uint64_t total = 0;
};

class TransferRecorder : public testsupport::RecordingNotifier {
  public:
    TransferRecorder(testsupport::NotifierLog* log, std::vector<TransferEvent>* events)
        : RecordingNotifier(log), events_(events) {}
    void TransferBytes(const std::string& name, uint64_t done, uint64_t total) override {
        events_->push_back({name, done, total});
    }
    void PackingBytes(const std::string& name, uint64_t done, uint64_t total) override {
        events_->push_back({kPacking + name, done, total});
    }
    void TransferEnd() override { events_->push_back({"end", 0, 0}); }

  private:
    std::vector<TransferEvent>* events_;
};

class TransferProgressTest : public TransferTest {
  protected:
    TransferProgressTest() {
        context.SetNotifier(std::make_unique<TransferRecorder>(&log, &events));
    }
    size_t Ends() const {
        return static_cast<size_t>(std::count_if(
            events.begin(), events.end(), [](const TransferEvent& e) { return e.name == "end"; }));
    }
    std::vector<TransferEvent> events;
};

TEST_F(TransferProgressTest, AnUploadIsNamedAfterItsFileAndEndsOnce) {
    const std::string path = platform::NativePath(dir.WriteFile("src/big.bin", Noise(300 * 1024)));
    server.Enqueue(
        Answer({HttpResponse(testsupport::StatusBody(0) + KeywordField("name:", "big.bin") +
                             KeywordField("viewpath:", "Src"))}));
    ASSERT_EQ(AddFiles(path, path, "Src", 0, 0, 0, "", context), 0);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.back().name, "end");
    EXPECT_EQ(Ends(), 1u);
    const TransferEvent& last = events[events.size() - 2];
    EXPECT_EQ(last.name, path);
    const uint64_t bodySize = server.Request(0).body.size();
    EXPECT_EQ(last.total, bodySize);
    EXPECT_EQ(last.done, bodySize);
    for (const TransferEvent& event : events) {
        if (event.name != "end") {
            EXPECT_LE(event.done, event.total);
        }
    }
}

// A large file packs for longer than it uploads: the packing leads the same transfer, block
// by block up to the file's size, and the one end follows the upload.
TEST_F(TransferProgressTest, APackingLeadsItsUploadsTransfer) {
    const std::string content = Noise((5u << 20) / 2);
    const std::string path = platform::NativePath(dir.WriteFile("src/big.bin", content));
    server.Enqueue(
        Answer({HttpResponse(testsupport::StatusBody(0) + KeywordField("name:", "big.bin") +
                             KeywordField("viewpath:", "Src"))}));
    ASSERT_EQ(AddFiles(path, path, "Src", 0, 0, 0, "", context), 0);
    const auto firstUpload = std::find_if(events.begin(), events.end(),
                                          [&](const TransferEvent& e) { return e.name == path; });
    ASSERT_NE(firstUpload, events.end()) << "the upload was not reported";
    std::vector<uint64_t> packed;
    for (auto event = events.begin(); event != firstUpload; ++event) {
        EXPECT_EQ(event->name, kPacking + path);
        EXPECT_EQ(event->total, content.size());
        packed.push_back(event->done);
    }
    EXPECT_EQ(packed, (std::vector<uint64_t>{1u << 20, 2u << 20, content.size()}));
    EXPECT_TRUE(std::none_of(firstUpload, events.end(), [&](const TransferEvent& e) {
        return e.name == kPacking + path;
    })) << "packing reported after the upload began";
    EXPECT_EQ(events.back().name, "end");
    EXPECT_EQ(Ends(), 1u);
}

TEST_F(TransferProgressTest, ADownloadIsNamedAfterTheFileWhoseArchiveArrives) {
    const std::string archive = dir.ArchiveOf(Noise(400 * 1024));
    server.Enqueue(
        Answer({HttpResponse(testsupport::FileRecord("a.bin", "Src", archive) +
                             testsupport::FileRecord("b.c", "Src", dir.ArchiveOf("beta")))}));
    ASSERT_EQ(GetFiles("Src", local(), 1, 0, 0, "", "", "", context), 0);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().name, "end");
    EXPECT_EQ(Ends(), 1u);
    bool sawArchive = false;
    for (const TransferEvent& event : events) {
        if (event.name == "a.bin") {
            sawArchive = true;
            EXPECT_EQ(event.total, archive.size());
            EXPECT_LE(event.done, event.total);
        }
    }
    EXPECT_TRUE(sawArchive);
}

TEST_F(TransferProgressTest, AContextsRequestsShareOneKeptConnection) {
    server.Enqueue(testsupport::KeptOpenStatusReply(0));
    server.Enqueue(testsupport::KeptOpenStatusReply(0));
    server.Enqueue(testsupport::KeptOpenStatusReply(0));
    EXPECT_EQ(ValidateUser(context), 0);
    EXPECT_EQ(ValidateProject(context), 0);
    EXPECT_EQ(ValidateUser(context), 0);
    ASSERT_EQ(server.RequestCount(), 3u);
    EXPECT_EQ(server.Request(0).connection, 1);
    EXPECT_EQ(server.Request(1).connection, 1);
    EXPECT_EQ(server.Request(2).connection, 1);
}

}  // namespace

}  // namespace brelmox
