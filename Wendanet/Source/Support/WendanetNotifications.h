#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "Platform/Foundation/NotificationCenter.h"
#include "Wendanet/Source/Support/EventMonitor.h"
#include "Wendanet/Source/Core/Request.h"

namespace wendanet {

// The user-info key under which request notifications carry their request.
inline constexpr std::string_view notificationRequestKey = "org.wendanet.notification.key.request";

// The request a notification carries under `notificationRequestKey`; null
// when it has no user info, no such entry, or something else there.
std::shared_ptr<Request> notificationRequest(const platform::Notification& notification);

// Posts, synchronously, a notification named `name` with no object whose
// user info holds only the request.
void postRequestNotification(platform::NotificationCenter& center, std::string_view name,
                             const std::shared_ptr<Request>& request);

// Turns the request's resume, suspend, cancel and finish events, and its
// task's resume, suspend, cancel and completion, into notifications posted
// through the default notification centre. It takes its events on the main
// queue, so observers hear of them on the main thread, possibly after the
// request has moved on. Every other event is ignored, and so is every
// event while the default centre has no observer of these names.
class WendanetNotifications final : public EventMonitor {
 public:
  static std::shared_ptr<WendanetNotifications> make();

  bool isObserved() const override;

  void requestDidResume(const std::shared_ptr<Request>& request) override;
  void requestDidSuspend(const std::shared_ptr<Request>& request) override;
  void requestDidCancel(const std::shared_ptr<Request>& request) override;
  void requestDidFinish(const std::shared_ptr<Request>& request) override;
  void requestDidResumeTask(const std::shared_ptr<Request>& request,
                            const std::shared_ptr<platform::URLSessionTask>& task) override;
  void requestDidSuspendTask(const std::shared_ptr<Request>& request,
                             const std::shared_ptr<platform::URLSessionTask>& task) override;
  void requestDidCancelTask(const std::shared_ptr<Request>& request,
                            const std::shared_ptr<platform::URLSessionTask>& task) override;
  void requestDidCompleteTaskWithError(const std::shared_ptr<Request>& request,
                                       const std::shared_ptr<platform::URLSessionTask>& task,
                                       const std::optional<WNError>& error) override;

 private:
  WendanetNotifications() = default;
};

}  // namespace wendanet
