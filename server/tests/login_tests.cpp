// What failed logins cost and tell: measured with generous bounds (bench/login_bench.sh
// prints the exact figures).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <regex>
#include <thread>

#include "raw_connection.h"
#include "server/admin/admin.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using Clock = std::chrono::steady_clock;

class LoginTest : public ServerFixture {
  protected:
    void SetUp() override {
        ServerFixture::SetUp();
        // A skip in the fixture's SetUp returns only from it: without a storage there is no
        // user to add.
        if (IsSkipped()) return;
        // At the cost new users get, unlike the fixture's cheap ones.
        const std::unique_ptr<server::Storage> storage = server::OpenStorage(Storage());
        server::AddUser(*storage, "acme", "carol", "right");
    }

    // The status of a validation, and how long its answer took in milliseconds.
    std::pair<std::string, double> Login(const std::string& user, const std::string& password) {
        const auto start = Clock::now();
        const std::string answer =
            Post("validate_user_from_cli.php",
                 FormBody({{"username", user}, {"password", password}, {"organization", "acme"}}));
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        return {Statuses(answer), took.count()};
    }

    // A validation from another loopback address, as from another machine: its status and
    // error text.
    std::pair<std::string, std::string> LoginFrom(const char* from, const std::string& user,
                                                  const std::string& password) {
        const std::string body =
            FormBody({{"username", user}, {"password", password}, {"organization", "acme"}});
        RawConnection connection(port_, from);
        connection.Send(
            "POST /validate_user_from_cli.php HTTP/1.1\r\nHost: x\r\n"
            "Content-Type: " +
            std::string(kClientType) + "\r\nConnection: close\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n\r\n" + body);
        // The server closes the connection after its answer; the silence is only a bound.
        const std::string answer = connection.ReadUntilQuiet(30000);
        const std::size_t head = answer.find("\r\n\r\n");
        if (head == std::string::npos) {
            ADD_FAILURE() << "no answer from " << from;
            return {};
        }
        const Record record = Records(answer.substr(head + 4)).at(0);
        const std::string status = record.At("status");
        return {status, status == "0" ? "" : record.At("error")};
    }

    // Guesses until a back-off refuses one (they double, so one soon falls inside one,
    // however slow the machine) and returns that refusal's text.
    std::string GuessUntilBackedOff(const char* from, const std::string& user) {
        for (int i = 0; i < 12; ++i) {
            const auto [status, error] = LoginFrom(from, user, "wrong");
            if (status == "-2108") return error;
            EXPECT_EQ(status, "-2014") << error;
        }
        ADD_FAILURE() << "12 failures from " << from << " met no back-off";
        return "";
    }
};

// "1 second" or "N seconds": how long the back-off has left depends on the machine's pace.
const char* const kLeft = "try again in (1 second|[0-9]+ seconds)\\.";

TEST_F(LoginTest, UnknownAndKnownUsersAreRefusedInTheSameTime) {
    // Two of each stay under the failures that start a back-off.
    double unknown = 1e9, known = 1e9;
    for (int i = 0; i < 2; ++i) {
        unknown = std::min(unknown, Login("nobody" + std::to_string(i), "wrong").second);
        known = std::min(known, Login("carol", "wrong").second);
    }
    std::printf("refusal: unknown user %.1f ms, known user %.1f ms\n", unknown, known);
    EXPECT_GT(unknown, known / 2) << "an unknown user is refused faster: names can be told";
}

TEST_F(LoginTest, FailuresBackOffWithoutSlowingACorrectLogin) {
    EXPECT_EQ(Login("alice", "secret").first, "0");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Login("carol", "wrong").first, "-2014");
    const auto [status, took] = Login("carol", "wrong");
    EXPECT_EQ(status, "-2108");
    EXPECT_LT(took, 50) << "a backed-off guess still costs a password check";

    // As many parallel guessers as the server has threads must leave it to correct logins.
    std::atomic<bool> guessing{true};
    std::vector<std::thread> guessers;
    for (int i = 0; i < 32; ++i) {
        guessers.emplace_back([&] {
            while (guessing) Login("carol", "x");
        });
    }
    std::vector<double> correct;
    for (int i = 0; i < 5; ++i) {
        const auto [status, took] = Login("alice", "secret");
        EXPECT_EQ(status, "0");
        correct.push_back(took);
    }
    guessing = false;
    for (std::thread& guesser : guessers) guesser.join();
    std::sort(correct.begin(), correct.end());
    std::printf("correct login during 32 parallel guessers: median %.1f ms\n", correct[2]);
    EXPECT_LT(correct[2], 250) << "guesses slow a correct login down";
}

TEST_F(LoginTest, AGuesserElsewhereNeverLocksOutTheRightPassword) {
    // Never proved since the server started, so nothing but the guard decides.
    const std::string refusal = GuessUntilBackedOff("127.0.0.2", "carol");
    EXPECT_TRUE(std::regex_match(
        refusal,
        std::regex(std::string("Too many failed log-ins for 'carol' from this address; ") + kLeft)))
        << refusal;
    EXPECT_EQ(LoginFrom("127.0.0.3", "carol", "right").first, "0");
}

TEST_F(LoginTest, MadeUpNamesBackOffOnlyMadeUpNamesBehindTheirAddress) {
    // Five made-up names, then a sixth, from the address carol shares with the guesser.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(LoginFrom("127.0.0.4", "ghost" + std::to_string(i), "x").first, "-2014");
    std::string refusal;
    for (int i = 4; i < 16 && refusal.empty(); ++i) {
        const auto [status, error] = LoginFrom("127.0.0.4", "ghost" + std::to_string(i), "x");
        if (status == "-2108") refusal = error;
    }
    EXPECT_TRUE(std::regex_match(
        refusal, std::regex(std::string("Too many failed log-ins from this address; ") + kLeft)))
        << refusal;
    EXPECT_EQ(LoginFrom("127.0.0.4", "carol", "right").first, "0");
    // A known name still gets its check (and its own count) behind a backed-off address.
    EXPECT_EQ(LoginFrom("127.0.0.4", "bob", "wrong").first, "-2014");
}

}  // namespace
}  // namespace servertest
