#pragma once

#include <any>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

using UserInfo = std::map<std::string, std::any>;

struct Notification {
  std::string name;
  // Absent when the poster names no object.
  std::shared_ptr<void> object;
  // Absent and empty are different things to an observer.
  std::optional<UserInfo> userInfo;

  // The user-info value under `key` when it is there and holds a `T`.
  template <class T>
  const T* userInfoValue(const std::string& key) const {
    if (!userInfo) return nullptr;
    auto found = userInfo->find(key);
    return found == userInfo->end() ? nullptr : std::any_cast<T>(&found->second);
  }
};

// Hands each posted notification to every observer whose filters match,
// synchronously on the posting thread and in the order the observers were
// added. Observers run without the centre's lock held, so they may post or
// add and remove observers themselves.
class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;

  struct ObserverToken {
    std::uint64_t id = 0;
    friend bool operator==(const ObserverToken&, const ObserverToken&) = default;
  };

  static std::shared_ptr<NotificationCenter> make();
  // The process's shared centre; it outlives every thread, exit included.
  static const std::shared_ptr<NotificationCenter>& defaultCenter();

  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  // `name` absent matches every name. `object` null matches every poster;
  // otherwise only notifications whose object has that address. The object
  // is not kept alive by the registration.
  ObserverToken addObserver(std::optional<std::string> name, const void* object, Handler handler);
  // Stops delivery, also for the rest of a post that is delivering right
  // now (an observer may remove one that comes after it).
  void removeObserver(ObserverToken token);
  // Whether a post named any of `names` would reach an observer right now,
  // so that a poster that has to go out of its way to post can skip it.
  // Asked for every event of every request: with no observer at all it
  // takes no lock.
  bool hasObserver(std::span<const std::string_view> names) const;

  void post(const Notification& notification);
  void post(std::string name, std::shared_ptr<void> object = nullptr, std::optional<UserInfo> userInfo = std::nullopt);

 private:
  NotificationCenter() = default;

  struct Observer {
    std::optional<std::string> name;
    const void* object;
    std::shared_ptr<const Handler> handler;
  };

  std::shared_ptr<const Handler> handlerIfStillObserving(std::uint64_t id) const;

  mutable std::mutex mutex_;
  std::atomic<std::size_t> observerCount_ = 0;
  std::uint64_t nextId_ = 1;
  // Ordered by id, which is the order of registration.
  std::map<std::uint64_t, Observer> observers_;
};

}  // namespace platform
