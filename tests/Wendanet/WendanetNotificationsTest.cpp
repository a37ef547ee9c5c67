#include <gtest/gtest.h>

#include "Wendanet/Source/Support/CompositeEventMonitor.h"
#include "Wendanet/Source/Support/WendanetNotifications.h"
#include "tests/Wendanet/RequestTestDoubles.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;

TEST(WendanetNotifications, NamesAndKeyAreFixedTexts) {
  const std::string prefix = "org.wendanet.notification.name.request.";
  EXPECT_EQ(Request::didResumeNotification, prefix + "didResume");
  EXPECT_EQ(Request::didSuspendNotification, prefix + "didSuspend");
  EXPECT_EQ(Request::didCancelNotification, prefix + "didCancel");
  EXPECT_EQ(Request::didFinishNotification, prefix + "didFinish");
  EXPECT_EQ(Request::didResumeTaskNotification, prefix + "didResumeTask");
  EXPECT_EQ(Request::didSuspendTaskNotification, prefix + "didSuspendTask");
  EXPECT_EQ(Request::didCancelTaskNotification, prefix + "didCancelTask");
  EXPECT_EQ(Request::didCompleteTaskNotification, prefix + "didCompleteTask");
  EXPECT_EQ(notificationRequestKey, "org.wendanet.notification.key.request");
}

TEST(WendanetNotifications, OnlyARequestUnderTheKeyIsTheNotificationsRequest) {
  platform::Notification notification{.name = "x", .object = nullptr, .userInfo = std::nullopt};
  EXPECT_EQ(notificationRequest(notification), nullptr);
  notification.userInfo = platform::UserInfo{{std::string(notificationRequestKey), std::string("text")}};
  EXPECT_EQ(notificationRequest(notification), nullptr);
}

// The request runs on a queue of its own; the notifications must come on
// the main queue, with the request alone in their user info.
TEST_F(RequestFixture, StateEventsArePostedOnTheMainQueue) {
  const auto queue = platform::DispatchQueue::make("org.wendanet.test.notifying");
  const auto posting =
      TestRequest::make({.underlyingQueue = queue,
                         .eventMonitor = CompositeEventMonitor::make(queue, {WendanetNotifications::make()}),
                         .delegate = delegate});
  const auto center = platform::NotificationCenter::defaultCenter();
  const auto observer = center->addObserver(std::nullopt, nullptr, [&](const platform::Notification& notification) {
    if (!notification.name.starts_with("org.wendanet.")) return;
    const bool wellFormed = !notification.object && notification.userInfo && notification.userInfo->size() == 1 &&
                            notificationRequest(notification) == posting;
    log->add(notification.name.substr(notification.name.rfind('.') + 1) +
             (platform::DispatchQueue::main()->isCurrent() && wellFormed ? "" : " (malformed)"));
  });
  const auto task = std::make_shared<FakeTask>(log, makeURLRequest("http://example.com/x"));
  queue->sync([&] { posting->didCreateTask(task); });
  posting->resume();
  queue->sync([&] {
    posting->didGatherMetrics(std::make_shared<platform::URLSessionTaskMetrics>());
    posting->didCompleteTask(task, WNError::sessionDeinitialized());
  });
  // The retry decision comes back in a later block; after it, every event
  // has been handed to the main queue.
  queue->sync([] {});
  EXPECT_EQ(log->take(),
            (Lines{"task resume", "delegate start",
                   "delegate retryResult " + errorText(WNError::sessionDeinitialized()), "delegate cleanup"}));
  settle();
  center->removeObserver(observer);
  EXPECT_EQ(log->take(), (Lines{"didResume", "didResumeTask", "didCompleteTask", "didFinish"}));
}

// Observed only while someone could hear one of its notifications.
TEST(WendanetNotifications, IsObservedOnlyWhileSomeoneListensForItsNames) {
  const auto center = platform::NotificationCenter::defaultCenter();
  const auto monitor = WendanetNotifications::make();
  EXPECT_FALSE(monitor->isObserved());
  const std::vector<std::pair<std::optional<std::string>, bool>> cases{
      {std::nullopt, true},
      {std::string(Request::didFinishNotification), true},
      {std::string(Request::didCancelTaskNotification), true},
      {std::string("org.other.notification"), false},
  };
  for (const auto& [name, observed] : cases) {
    const auto token = center->addObserver(name, nullptr, [](const platform::Notification&) {});
    EXPECT_EQ(monitor->isObserved(), observed) << name.value_or("any name");
    center->removeObserver(token);
  }
  EXPECT_FALSE(monitor->isObserved());
}
