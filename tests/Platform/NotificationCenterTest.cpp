#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Foundation/NotificationCenter.h"

using namespace platform;

TEST(NotificationCenter, AnObserverFilteredByObjectSeesOnlyThatObjectsPosts) {
  auto center = NotificationCenter::make();
  auto watched = std::make_shared<int>(1);
  auto other = std::make_shared<int>(2);
  std::vector<std::string> seen;
  center->addObserver(std::nullopt, watched.get(), [&](const Notification& note) { seen.push_back(note.name); });

  center->post("from.other", other);
  center->post("from.nobody");
  center->post("from.watched", watched);
  EXPECT_EQ(seen, std::vector<std::string>{"from.watched"});
}

TEST(NotificationCenter, NameFiltersAndUnfilteredObserversRunInRegistrationOrder) {
  auto center = NotificationCenter::make();
  std::vector<std::string> calls;
  center->addObserver("ping", nullptr, [&](const Notification&) { calls.push_back("ping-only"); });
  center->addObserver(std::nullopt, nullptr, [&](const Notification& note) { calls.push_back("any:" + note.name); });

  center->post("ping");
  center->post("pong");
  EXPECT_EQ(calls, (std::vector<std::string>{"ping-only", "any:ping", "any:pong"}));
}

TEST(NotificationCenter, ObserversMayPostAndRemoveObserversWhileBeingCalled) {
  auto center = NotificationCenter::make();
  std::vector<std::string> calls;
  NotificationCenter::ObserverToken later;
  center->addObserver("first", nullptr, [&](const Notification&) {
    calls.push_back("first");
    center->removeObserver(later);
    center->post("nested");
  });
  later = center->addObserver(std::nullopt, nullptr,
                              [&](const Notification& note) { calls.push_back("later:" + note.name); });
  center->addObserver("nested", nullptr, [&](const Notification&) { calls.push_back("nested"); });

  center->post("first");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "nested"}));
  calls.clear();
  center->post("first");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "nested"}));
}

TEST(NotificationCenter, UserInfoKeepsAbsentApartFromEmptyAndChecksTheValueType) {
  auto center = NotificationCenter::make();
  std::vector<Notification> received;
  center->addObserver(std::nullopt, nullptr, [&](const Notification& note) { received.push_back(note); });
  auto payload = std::make_shared<std::string>("request");
  center->post("none");
  center->post("empty", nullptr, UserInfo{});
  center->post("full", nullptr, UserInfo{{"key", payload}});
  payload.reset();

  ASSERT_EQ(received.size(), 3u);
  EXPECT_FALSE(received[0].userInfo);
  EXPECT_TRUE(received[1].userInfo && received[1].userInfo->empty());
  auto* value = received[2].userInfoValue<std::shared_ptr<std::string>>("key");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(**value, "request");  // the notification keeps its values alive
  EXPECT_EQ(received[2].userInfoValue<std::string>("key"), nullptr);
  EXPECT_EQ(received[2].userInfoValue<std::shared_ptr<std::string>>("other"), nullptr);
  EXPECT_EQ(received[0].userInfoValue<std::shared_ptr<std::string>>("key"), nullptr);
}
