// Who a run of failed logins backs off, and for how long, at times the test chooses.
#include "server/auth/login_guard.h"

#include <gtest/gtest.h>

namespace servertest {
namespace {

using server::LoginGuard;
using std::chrono::seconds;

const LoginGuard::Clock::time_point kStart = LoginGuard::Clock::now();

// "pair 3", "address 1" or "none": whom a login meets backed off and for how many seconds.
std::string Met(LoginGuard& guard, const std::string& user, const std::string& address, bool known,
                LoginGuard::Clock::time_point at) {
    const auto backOff = guard.Check(user, address, known, at);
    if (!backOff) return "none";
    return (backOff->wholeAddress ? "address " : "pair ") + std::to_string(backOff->left.count());
}

void Fail(LoginGuard& guard, const std::string& user, const std::string& address, int times,
          LoginGuard::Clock::time_point at) {
    for (int i = 0; i < times; ++i) guard.Failed(user, address, at);
}

TEST(LoginGuardTest, FailuresBackOffTheirPairAndMadeUpNamesOnly) {
    LoginGuard guard;
    Fail(guard, "1/alice", "10.0.0.9", 5, kStart);
    struct Case {
        const char* user;
        const char* address;
        bool known;
        const char* met;
    } cases[] = {
        {"1/alice", "10.0.0.9", true, "pair 1"},      // the guesser
        {"1/alice", "10.0.0.1", true, "none"},        // alice at her own desk
        {"1/bob", "10.0.0.9", true, "none"},          // bob behind the guesser's NAT
        {"1/ghost", "10.0.0.9", false, "address 1"},  // another made-up name
        {"1/ghost", "10.0.0.1", false, "none"},
        {"2/alice", "10.0.0.9", true, "none"},  // her namesake in another organization
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Met(guard, c.user, c.address, c.known, kStart), c.met)
            << c.user << " from " << c.address;
    }
}

TEST(LoginGuardTest, BackOffsDoubleUpTo32SecondsAndAreShownRoundedUp) {
    LoginGuard guard;
    const struct {
        int failures;
        seconds after;
        const char* met;
    } cases[] = {
        {4, seconds(0), "none"},   {5, seconds(0), "pair 1"},   {6, seconds(0), "pair 2"},
        {7, seconds(1), "pair 3"}, {10, seconds(0), "pair 32"}, {20, seconds(0), "pair 32"},
        {20, seconds(32), "none"},
    };
    int failed = 0;
    for (const auto& c : cases) {
        Fail(guard, "1/alice", "10.0.0.9", c.failures - failed, kStart);
        failed = c.failures;
        EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, kStart + c.after), c.met)
            << c.failures << " failures, " << c.after.count() << " s later";
    }
    // Half a second left still reads as one second, never as zero.
    LoginGuard fresh;
    Fail(fresh, "1/alice", "10.0.0.9", 5, kStart);
    EXPECT_EQ(Met(fresh, "1/alice", "10.0.0.9", true, kStart + std::chrono::milliseconds(500)),
              "pair 1");
}

TEST(LoginGuardTest, OnceABackOffEndsParallelGuessesAreCheckedOneAtATime) {
    LoginGuard guard;
    // Below the failures allowed nothing holds parallel logins back (an IDE's first requests).
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, kStart), "none");
    Fail(guard, "1/alice", "10.0.0.9", 8, kStart);  // 8 s
    const auto ended = kStart + seconds(8);
    EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, ended), "none");
    EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, ended), "pair 1") << "checked at once";
    EXPECT_EQ(Met(guard, "1/ghost", "10.0.0.9", false, ended), "address 1");
    EXPECT_EQ(Met(guard, "1/bob", "10.0.0.9", true, ended), "none");
    guard.Failed("1/alice", "10.0.0.9", ended);
    EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, ended), "pair 16");
}

TEST(LoginGuardTest, SuccessClearsItsPairButNotItsAddress) {
    LoginGuard guard;
    Fail(guard, "1/alice", "10.0.0.9", 5, kStart);
    guard.Succeeded("1/alice", "10.0.0.9");
    EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, kStart), "none");
    EXPECT_EQ(Met(guard, "1/ghost", "10.0.0.9", false, kStart), "address 1");
}

TEST(LoginGuardTest, OldFailuresAreForgotten) {
    LoginGuard guard;
    Fail(guard, "1/alice", "10.0.0.9", 4, kStart);
    const auto later = kStart + std::chrono::minutes(16);
    Fail(guard, "1/alice", "10.0.0.9", 1, later);
    EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, later), "none");
}

TEST(LoginGuardTest, AFloodOfMadeUpNamesDoesNotDropARunningBackOff) {
    LoginGuard guard;
    Fail(guard, "1/alice", "10.0.0.9", 10, kStart);  // 32 s
    // Each from an address of its own, far more than the guard keeps.
    for (int i = 0; i < 120000; ++i) {
        guard.Failed("1/ghost" + std::to_string(i), "10.1." + std::to_string(i), kStart);
    }
    EXPECT_EQ(Met(guard, "1/alice", "10.0.0.9", true, kStart + seconds(1)), "pair 31");
}

}  // namespace
}  // namespace servertest
