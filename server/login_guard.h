// Failed logins counted per user and per client address. After kFailuresAllowed failures a
// user or address is backed off for a while (one second, doubling with every further
// failure, at most 32 s); the attempts it makes meanwhile are refused without the costly
// password check and are not counted, so guessing costs the machine one check per back-off.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace server {

class LoginGuard {
  public:
    using Clock = std::chrono::steady_clock;

    // Whether the user (its organization and name as one key) or the address is backed off.
    bool BackedOff(const std::string& user, const std::string& address, Clock::time_point now);
    void Failed(const std::string& user, const std::string& address, Clock::time_point now);
    void Succeeded(const std::string& user, const std::string& address);

  private:
    struct Failures {
        int count = 0;
        Clock::time_point until;
    };
    void Count(const std::string& key, Clock::time_point now);

    std::mutex mutex_;
    std::map<std::string, Failures> failures_;
};

}  // namespace server
