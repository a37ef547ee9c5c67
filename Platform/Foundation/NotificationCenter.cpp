#include "Platform/Foundation/NotificationCenter.h"

#include <algorithm>
#include <vector>

namespace platform {

std::shared_ptr<NotificationCenter> NotificationCenter::make() {
  return std::shared_ptr<NotificationCenter>(new NotificationCenter());
}

const std::shared_ptr<NotificationCenter>& NotificationCenter::defaultCenter() {
  // Never destroyed: engine threads of sessions released at exit may still
  // post to it while the exit handlers run, and no thread can be told to
  // stop posting in time.
  static const auto* const shared = new std::shared_ptr<NotificationCenter>(make());
  return *shared;
}

NotificationCenter::ObserverToken NotificationCenter::addObserver(std::optional<std::string> name, const void* object,
                                                                  Handler handler) {
  std::lock_guard lock(mutex_);
  std::uint64_t id = nextId_++;
  observers_.emplace(id, Observer{std::move(name), object, std::make_shared<const Handler>(std::move(handler))});
  observerCount_ = observers_.size();
  return ObserverToken{id};
}

void NotificationCenter::removeObserver(ObserverToken token) {
  std::lock_guard lock(mutex_);
  observers_.erase(token.id);
  observerCount_ = observers_.size();
}

bool NotificationCenter::hasObserver(std::span<const std::string_view> names) const {
  if (observerCount_ == 0) return false;
  std::lock_guard lock(mutex_);
  for (const auto& entry : observers_) {
    const auto& observed = entry.second.name;
    if (!observed || std::ranges::find(names, std::string_view(*observed)) != names.end()) return true;
  }
  return false;
}

std::shared_ptr<const NotificationCenter::Handler> NotificationCenter::handlerIfStillObserving(std::uint64_t id) const {
  std::lock_guard lock(mutex_);
  auto found = observers_.find(id);
  return found == observers_.end() ? nullptr : found->second.handler;
}

void NotificationCenter::post(const Notification& notification) {
  std::vector<std::uint64_t> matching;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, observer] : observers_) {
      if (observer.name && *observer.name != notification.name) continue;
      if (observer.object != nullptr && observer.object != notification.object.get()) continue;
      matching.push_back(id);
    }
  }
  // Looked up again before each call: an earlier observer may have removed a later one.
  for (auto id : matching) {
    if (auto handler = handlerIfStillObserving(id)) (*handler)(notification);
  }
}

void NotificationCenter::post(std::string name, std::shared_ptr<void> object, std::optional<UserInfo> userInfo) {
  post(Notification{std::move(name), std::move(object), std::move(userInfo)});
}

}  // namespace platform
