#include "Wendanet/Source/Support/WendanetNotifications.h"

#include <array>
#include <string>

namespace wendanet {

namespace {

void post(std::string_view name, const std::shared_ptr<Request>& request) {
  postRequestNotification(*platform::NotificationCenter::defaultCenter(), name, request);
}

}  // namespace

std::shared_ptr<Request> notificationRequest(const platform::Notification& notification) {
  const auto* request = notification.userInfoValue<std::shared_ptr<Request>>(std::string(notificationRequestKey));
  return request ? *request : nullptr;
}

void postRequestNotification(platform::NotificationCenter& center, std::string_view name,
                             const std::shared_ptr<Request>& request) {
  center.post(std::string(name), nullptr, platform::UserInfo{{std::string(notificationRequestKey), request}});
}

std::shared_ptr<WendanetNotifications> WendanetNotifications::make() {
  return std::shared_ptr<WendanetNotifications>(new WendanetNotifications());
}

bool WendanetNotifications::isObserved() const {
  static constexpr std::array<std::string_view, 8> names{
      Request::didResumeNotification,     Request::didSuspendNotification,     Request::didCancelNotification,
      Request::didFinishNotification,     Request::didResumeTaskNotification,  Request::didSuspendTaskNotification,
      Request::didCancelTaskNotification, Request::didCompleteTaskNotification};
  return platform::NotificationCenter::defaultCenter()->hasObserver(names);
}

void WendanetNotifications::requestDidResume(const std::shared_ptr<Request>& request) {
  post(Request::didResumeNotification, request);
}

void WendanetNotifications::requestDidSuspend(const std::shared_ptr<Request>& request) {
  post(Request::didSuspendNotification, request);
}

void WendanetNotifications::requestDidCancel(const std::shared_ptr<Request>& request) {
  post(Request::didCancelNotification, request);
}

void WendanetNotifications::requestDidFinish(const std::shared_ptr<Request>& request) {
  post(Request::didFinishNotification, request);
}

void WendanetNotifications::requestDidResumeTask(const std::shared_ptr<Request>& request,
                                                 const std::shared_ptr<platform::URLSessionTask>&) {
  post(Request::didResumeTaskNotification, request);
}

void WendanetNotifications::requestDidSuspendTask(const std::shared_ptr<Request>& request,
                                                  const std::shared_ptr<platform::URLSessionTask>&) {
  post(Request::didSuspendTaskNotification, request);
}

void WendanetNotifications::requestDidCancelTask(const std::shared_ptr<Request>& request,
                                                 const std::shared_ptr<platform::URLSessionTask>&) {
  post(Request::didCancelTaskNotification, request);
}

void WendanetNotifications::requestDidCompleteTaskWithError(const std::shared_ptr<Request>& request,
                                                            const std::shared_ptr<platform::URLSessionTask>&,
                                                            const std::optional<WNError>&) {
  post(Request::didCompleteTaskNotification, request);
}

}  // namespace wendanet
