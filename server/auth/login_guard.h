// Failed logins, counted so that a back-off costs the guesser and never the user he guesses
// at. After kFailuresAllowed failures of one user name from one address, that pair is backed
// off (one second, doubling with every further failure, at most 32 s); so is the address as
// a whole, but only for names that no user has. A user's right password from another
// address, or from the same address after others' failures, is therefore never refused. An
// attempt that meets a back-off is refused without the costly password check and is not
// counted; once a back-off has ended, one attempt at a time is checked until the next
// failure, so even parallel guessing costs the machine one check per back-off.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace server {

class LoginGuard {
  public:
    using Clock = std::chrono::steady_clock;

    struct BackOff {
        bool wholeAddress = false;  // else the user's name from this address
        std::chrono::seconds left{0};
    };

    // The back-off a login of the user (its organization and name as one key) from the
    // address meets, if any; knownUser tells whether a user has that name. A login let
    // through is being checked until Failed or Succeeded tells its outcome.
    std::optional<BackOff> Check(const std::string& user, const std::string& address,
                                 bool knownUser, Clock::time_point now);
    void Failed(const std::string& user, const std::string& address, Clock::time_point now);
    // Forgets the pair's failures; the address's stay, or a guesser with an account of his
    // own could clear them between guesses.
    void Succeeded(const std::string& user, const std::string& address);

  private:
    struct Failures {
        int count = 0;
        int checking = 0;  // attempts let through whose outcome is not known yet
        Clock::time_point last;
        Clock::time_point until;
    };
    using Table = std::map<std::string, Failures>;

    static std::optional<std::chrono::seconds> Left(const Failures& failures,
                                                    Clock::time_point now);
    // The key's entry, made when missing (within the bound).
    static Failures& Entry(Table& table, const std::string& key, Clock::time_point now);
    static void Count(Table& table, const std::string& key, Clock::time_point now);
    static void Settled(Table& table, const std::string& key);
    static void Prune(Table& table, Clock::time_point now);

    std::mutex mutex_;
    Table pairs_;  // by a digest of user and address, so a long name costs no memory
    Table addresses_;
};

}  // namespace server
