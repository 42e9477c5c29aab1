#include "server/login_guard.h"

#include <algorithm>

namespace server {
namespace {

constexpr int kFailuresAllowed = 5;
constexpr int kLongestBackOffDoublings = 5;  // 32 s
// Bounds the memory an attacker spraying names can take; ended back-offs go first.
constexpr std::size_t kKeysKept = 100000;

std::string UserKey(const std::string& user) {
    return "user " + user;
}
std::string AddressKey(const std::string& address) {
    return "address " + address;
}

}  // namespace

bool LoginGuard::BackedOff(const std::string& user, const std::string& address,
                           Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& key : {UserKey(user), AddressKey(address)}) {
        const auto found = failures_.find(key);
        if (found != failures_.end() && found->second.until > now) return true;
    }
    return false;
}

void LoginGuard::Failed(const std::string& user, const std::string& address,
                        Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failures_.size() >= kKeysKept) {
        std::erase_if(failures_, [now](const auto& entry) { return entry.second.until <= now; });
    }
    Count(UserKey(user), now);
    Count(AddressKey(address), now);
}

void LoginGuard::Succeeded(const std::string& user, const std::string& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.erase(UserKey(user));
    failures_.erase(AddressKey(address));
}

void LoginGuard::Count(const std::string& key, Clock::time_point now) {
    Failures& failures = failures_[key];
    ++failures.count;
    if (failures.count < kFailuresAllowed) return;
    const int doublings = std::min(failures.count - kFailuresAllowed, kLongestBackOffDoublings);
    failures.until = now + std::chrono::seconds(1 << doublings);
}

}  // namespace server
