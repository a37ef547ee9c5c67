#include "Platform/URLLoading/HTTPCookieStorage.h"

#include <algorithm>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

namespace {

bool sameCookie(const HTTPCookie& left, const HTTPCookie& right) {
  return left.name == right.name && left.domain == right.domain && left.path == right.path;
}

}  // namespace

const std::shared_ptr<HTTPCookieStorage>& HTTPCookieStorage::shared() {
  static const auto storage = make();
  return storage;
}

std::vector<HTTPCookie> HTTPCookieStorage::cookies() const {
  const auto now = Date::now();
  std::lock_guard lock(mutex_);
  std::vector<HTTPCookie> all;
  for (const auto& entry : entries_) {
    if (!entry.cookie.isExpired(now)) all.push_back(entry.cookie);
  }
  return all;
}

std::optional<std::vector<HTTPCookie>> HTTPCookieStorage::cookies(const URL& url) const {
  const auto scheme = asciiLowercased(url.scheme().value_or(""));
  if ((scheme != "http" && scheme != "https") || !url.host()) return std::nullopt;
  const auto now = Date::now();
  std::vector<Entry> matching;
  {
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_) {
      if (!entry.cookie.isExpired(now) && entry.cookie.isSentTo(url)) matching.push_back(entry);
    }
  }
  std::ranges::stable_sort(matching, [](const Entry& left, const Entry& right) {
    if (left.cookie.path.size() != right.cookie.path.size()) return left.cookie.path.size() > right.cookie.path.size();
    return left.created < right.created;
  });
  std::vector<HTTPCookie> found;
  found.reserve(matching.size());
  for (auto& entry : matching) found.push_back(std::move(entry.cookie));
  return found;
}

void HTTPCookieStorage::setCookie(const HTTPCookie& cookie) {
  const auto now = Date::now();
  std::lock_guard lock(mutex_);
  removeExpiredLocked(now);
  const auto existing =
      std::ranges::find_if(entries_, [&](const Entry& entry) { return sameCookie(entry.cookie, cookie); });
  if (cookie.isExpired(now)) {
    if (existing != entries_.end()) entries_.erase(existing);
    return;
  }
  if (existing != entries_.end()) {
    existing->cookie = cookie;
    return;
  }
  entries_.push_back({cookie, nextCreated_++});
  evictOldestLocked(&cookie.domain);
  evictOldestLocked(nullptr);
}

void HTTPCookieStorage::deleteCookie(const HTTPCookie& cookie) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [&](const Entry& entry) { return sameCookie(entry.cookie, cookie); });
}

void HTTPCookieStorage::removeExpiredLocked(Date now) {
  std::erase_if(entries_, [&](const Entry& entry) { return entry.cookie.isExpired(now); });
}

// Entries are kept in order of creation, so the first one found is the
// oldest.
void HTTPCookieStorage::evictOldestLocked(const std::string* domain) {
  const auto inScope = [&](const Entry& entry) { return !domain || entry.cookie.domain == *domain; };
  const auto limit = domain ? maximumCookiesPerDomain : maximumCookies;
  if (static_cast<std::size_t>(std::ranges::count_if(entries_, inScope)) <= limit) return;
  entries_.erase(std::ranges::find_if(entries_, inScope));
}

}  // namespace platform
