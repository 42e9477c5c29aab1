#include "server/auth/login_guard.h"

#include <algorithm>
#include <vector>

#include "server/sha256.h"

namespace server {
namespace {

constexpr int kFailuresAllowed = 5;
constexpr int kLongestBackOffDoublings = 5;  // 32 s
// Failures this old are forgotten: a typo of last week does not shorten today's allowance.
constexpr auto kForgetAfter = std::chrono::minutes(15);
// Bounds the memory a flood of made-up names or addresses can take, per table.
constexpr std::size_t kKeysKept = 100000;

std::string PairKey(const std::string& user, const std::string& address) {
    Sha256 digest;
    digest.Update(address.data(), address.size());
    digest.Update("", 1);  // an address holds no NUL, so the two parts cannot shift
    digest.Update(user.data(), user.size());
    return digest.HexDigest();
}

}  // namespace

std::optional<LoginGuard::BackOff> LoginGuard::Check(const std::string& user,
                                                     const std::string& address, bool knownUser,
                                                     Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string pairKey = PairKey(user, address);
    const auto pair = pairs_.find(pairKey);
    if (pair != pairs_.end()) {
        if (const auto left = Left(pair->second, now)) return BackOff{false, *left};
    }
    const auto whole = addresses_.find(address);
    if (!knownUser && whole != addresses_.end()) {
        if (const auto left = Left(whole->second, now)) return BackOff{true, *left};
    }
    ++Entry(pairs_, pairKey, now).checking;
    ++Entry(addresses_, address, now).checking;
    return std::nullopt;
}

void LoginGuard::Failed(const std::string& user, const std::string& address,
                        Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string pairKey = PairKey(user, address);
    Settled(pairs_, pairKey);
    Settled(addresses_, address);
    Count(pairs_, pairKey, now);
    Count(addresses_, address, now);
}

void LoginGuard::Succeeded(const std::string& user, const std::string& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    pairs_.erase(PairKey(user, address));
    Settled(addresses_, address);
}

std::optional<std::chrono::seconds> LoginGuard::Left(const Failures& failures,
                                                     Clock::time_point now) {
    if (failures.until > now) {
        // Rounded up: "try again in 0 seconds" would be refused once more.
        return std::chrono::ceil<std::chrono::seconds>(failures.until - now);
    }
    // A back-off ended: the attempts that were waiting for it would all be checked at once.
    if (failures.count >= kFailuresAllowed && failures.checking > 0) return std::chrono::seconds(1);
    return std::nullopt;
}

void LoginGuard::Settled(Table& table, const std::string& key) {
    const auto found = table.find(key);
    if (found != table.end() && found->second.checking > 0) --found->second.checking;
}

LoginGuard::Failures& LoginGuard::Entry(Table& table, const std::string& key,
                                        Clock::time_point now) {
    if (table.size() >= kKeysKept && table.find(key) == table.end()) Prune(table, now);
    return table[key];
}

void LoginGuard::Count(Table& table, const std::string& key, Clock::time_point now) {
    Failures& failures = Entry(table, key, now);
    if (now - failures.last > kForgetAfter) failures.count = 0;
    failures.last = now;
    ++failures.count;
    if (failures.count < kFailuresAllowed) return;
    const int doublings = std::min(failures.count - kFailuresAllowed, kLongestBackOffDoublings);
    failures.until = now + std::chrono::seconds(1 << doublings);
}

void LoginGuard::Prune(Table& table, Clock::time_point now) {
    // The ended back-offs first, then, if a flood left more than half running, the older half
    // of those: a guesser may get some attempts back, but memory stays bounded.
    std::erase_if(table, [now](const auto& entry) {
        return entry.second.until <= now && entry.second.checking == 0;
    });
    if (table.size() <= kKeysKept / 2) return;
    std::vector<Clock::time_point> lasts;
    lasts.reserve(table.size());
    for (const auto& entry : table) lasts.push_back(entry.second.last);
    const auto middle = lasts.begin() + static_cast<std::ptrdiff_t>(lasts.size() / 2);
    std::nth_element(lasts.begin(), middle, lasts.end());
    const Clock::time_point cutoff = *middle;
    // At or before: even when all fail at once (a flood within one clock tick), half goes.
    std::erase_if(table, [cutoff](const auto& entry) { return entry.second.last <= cutoff; });
}

}  // namespace server
