// What a connection carries: one answer per request, whatever the body holds.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "raw_connection.h"
#include "server_fixture.h"

namespace servertest {
namespace {

class ConnectionTest : public ServerFixture {
  protected:
    static std::string PostHead(const std::string& script, std::size_t length) {
        return "POST /" + script + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " + kClientType +
               "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
    }
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST_F(ConnectionTest, NoPartOfABodyIsEverServedAsARequest) {
    Fields add = Who();
    add.insert(add.end(), {{"viewpath", "Src"}, {"checkin", "N"}, {"description", ""}});
    const std::string fields = FormBody(add).substr(0, FormBody(add).size() - 4);
    const std::string filePart =
        "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"userfile\"; "
        "filename=\"a.c\"\r\n\r\n";
    // The smuggled request follows where the server may stop reading: after a part it
    // cannot store (no tmp/ folder, as on a full disk), inside a part that looks like a second
    // file (which is content of the first: the file part is the last).
    const std::pair<const char*, std::string> hostile[] = {
        {"a second file part", fields + filePart + Archive("one") + filePart},
        {"a full disk", fields + filePart + Archive("one")},
    };
    for (const auto& [what, start] : hostile) {
        if (std::string(what) == "a full disk") std::filesystem::remove_all(data_ + "/tmp");
        Fields label = Who();
        label.insert(label.end(), {{"label", what}, {"description", ""}});
        const std::string labelBody = FormBody(label);
        const std::string smuggled = PostHead("create_label_cli.php", labelBody.size()) + labelBody;
        RawConnection connection(port_);
        const std::string body = start + smuggled;
        ASSERT_TRUE(connection.Send(PostHead("add_files_from_cli.php", body.size()) + start));
        std::string answers = connection.ReadUntilQuiet(300);
        connection.Send(smuggled);
        answers += connection.ReadUntilQuiet(300);
        EXPECT_EQ(Count(answers, "HTTP/1.1 "), 1u) << what << ": " << answers;
        std::filesystem::create_directories(data_ + "/tmp");
        EXPECT_EQ(Snapshot().find(what), std::string::npos) << what << " made a label";
    }
}

TEST_F(ConnectionTest, SixtyFourSlowSendersLeaveTheServerToAReadyRequest) {
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 64; ++i) {
        slow.push_back(std::make_unique<RawConnection>(port_));
        // Half send a head's first bytes, half a head and the first bytes of a long body.
        slow.back()->Send(i % 2 == 0
                              ? std::string("POST /validate_user_from_cli.php HTTP/1.1\r\nHo")
                              : PostHead("validate_user_from_cli.php", 100000) + "--AaB");
    }
    const auto start = std::chrono::steady_clock::now();
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(5);
    const httplib::Result result =
        client.Post("/validate_user_from_cli.php", FormBody(Who()), kClientType);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("answer with 64 slow senders open: %.1f ms\n", took.count());
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(Statuses(result->body), "0");
    EXPECT_LT(took.count(), 1000);
}

TEST_F(ConnectionTest, AKeptConnectionIsServedHoweverItsNextRequestArrives) {
    const std::string body = FormBody(Who());
    const std::string request = PostHead("validate_user_from_cli.php", body.size()) + body;
    const std::string head = PostHead("validate_user_from_cli.php", body.size());
    // At once (the answering thread serves on), after a pause (through the waiting room),
    // a head cut in two around a pause, and two requests in one send.
    const std::pair<const char*, std::vector<std::string>> arrivals[] = {
        {"at once", {request}},
        {"after a pause", {"", request}},
        {"a head in two pieces", {head.substr(0, 20), head.substr(20) + body}},
        {"two requests in one send", {request + request}},
    };
    RawConnection connection(port_);
    ASSERT_TRUE(connection.Send(request));
    ASSERT_EQ(Count(connection.ReadUntilQuiet(300), "HTTP/1.1 200"), 1u);
    for (const auto& [what, pieces] : arrivals) {
        std::string sent;
        for (const std::string& piece : pieces) {
            if (&piece != &pieces.front())
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!piece.empty()) {
                ASSERT_TRUE(connection.Send(piece)) << what;
            }
            sent += piece;
        }
        const std::string answers = connection.ReadUntilQuiet(300);
        const std::size_t expected = Count(sent, "POST ");
        EXPECT_EQ(Count(answers, "HTTP/1.1 200"), expected) << what << ": " << answers;
        EXPECT_EQ(Count(answers, "status:0"), expected) << what;
    }
}

TEST_F(ConnectionTest, AHeadOrABodyTooSlowIsCut) {
    StopServer();
    server::ServeOptions options;
    options.headDeadline = std::chrono::milliseconds(300);
    options.bodyPace.grace = std::chrono::milliseconds(300);
    options.bodyPace.minBytesPerSecond = 1024;
    StartServer(options);
    const std::pair<const char*, std::string> starts[] = {
        {"a head", "POST /validate_user_from_cli.php HTTP/1.1\r\nHo"},
        {"a body", PostHead("validate_user_from_cli.php", 100000) + "--AaB"},
    };
    for (const auto& [what, start] : starts) {
        RawConnection connection(port_);
        connection.Send(start);
        EXPECT_TRUE(connection.ClosedWithin(3000)) << what << " kept its connection";
    }
}

}  // namespace
}  // namespace servertest
