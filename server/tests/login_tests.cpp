// What failed logins cost and tell: measured with generous bounds (bench/login_bench.sh
// prints the exact figures).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "server/admin.h"
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
};

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
    EXPECT_EQ(status, "-2014");
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

}  // namespace
}  // namespace servertest
