#include <gtest/gtest.h>

#include <chrono>

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Support/WendanetNotifications.h"

using namespace wendanet;

TEST(SessionConstruction, TheSessionsQueuesHangOffItsRootQueue) {
  const auto given = platform::DispatchQueue::make("org.wendanet.session.rootQueue");
  const auto session = Session::makeWithConfiguration(nullptr, nullptr, given);
  const auto& root = session->rootQueue();
  EXPECT_NE(root, given);
  EXPECT_EQ(root->label(), "org.wendanet.session.rootQueue");
  EXPECT_TRUE(root->isSerial());
  EXPECT_EQ(root->target(), given);
  EXPECT_EQ(session->session()->delegateQueue()->name(), "org.wendanet.session.rootQueue.sessionDelegate");
  EXPECT_EQ(session->session()->delegateQueue()->underlyingQueue(), root);
  EXPECT_EQ(session->requestQueue()->label(), "org.wendanet.session.rootQueue.requestQueue");
  EXPECT_EQ(session->requestQueue()->target(), root);
  EXPECT_EQ(session->serializationQueue()->label(), "org.wendanet.session.rootQueue.serializationQueue");
  EXPECT_EQ(session->serializationQueue()->target(), root);
}

TEST(SessionConstruction, TheMainQueueIsUsedItselfAndGivenQueuesAreLeftAlone) {
  const auto& main = platform::DispatchQueue::main();
  const auto requestQueue = platform::DispatchQueue::make("mine", platform::DispatchQueue::Attributes::concurrent);
  const auto session = Session::makeWithConfiguration(nullptr, nullptr, main, {.requestQueue = requestQueue});
  EXPECT_EQ(session->rootQueue(), main);
  EXPECT_EQ(session->session()->delegateQueue()->underlyingQueue(), main);
  EXPECT_EQ(session->requestQueue(), requestQueue);
  EXPECT_EQ(session->requestQueue()->label(), "mine");
  EXPECT_EQ(session->serializationQueue()->label(), main->label() + ".serializationQueue");
}

TEST(SessionConstruction, OnlyTheGivenMonitorsHearEvents) {
  const auto session = Session::makeWithConfiguration();
  const auto monitors = session->eventMonitor()->monitors();
  ASSERT_EQ(monitors.size(), 1U);
  EXPECT_NE(std::dynamic_pointer_cast<WendanetNotifications>(monitors.front()), nullptr);
  ASSERT_EQ(session->defaultEventMonitors().size(), 1U);
  EXPECT_NE(session->defaultEventMonitors().front(), monitors.front());
  EXPECT_EQ(session->delegate()->eventMonitor(), session->eventMonitor());
  EXPECT_EQ(session->delegate()->stateProvider(), session);

  const auto silent = Session::makeWithConfiguration(nullptr, nullptr, nullptr, {.eventMonitors = {}});
  EXPECT_TRUE(silent->eventMonitor()->monitors().empty());
}

TEST(SessionConstruction, TheSharedSessionIsMadeOnce) {
  EXPECT_EQ(WN(), WN());
  EXPECT_EQ(WN(), Session::defaultSession());
  EXPECT_EQ(WN()->rootQueue()->label(), "org.wendanet.session.rootQueue");
  EXPECT_TRUE(WN()->startRequestsImmediately());
  EXPECT_EQ(WN()->requestSetup(), Session::RequestSetup::lazy);
  const auto headers = WN()->sessionConfiguration()->httpAdditionalHeaders();
  ASSERT_TRUE(headers);
  EXPECT_TRUE(platform::valueOfHeaderField(*headers, "User-Agent"));
}

TEST(SessionConstruction, CancellingWithNoActiveRequestStillCallsTheCompletion) {
  const auto session = Session::makeWithConfiguration();
  bool called = false;
  session->cancelAllRequests(nullptr, [&] { called = true; });
  EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return called; }, std::chrono::seconds(30)));
}

TEST(SessionConstructionDeathTest, ABackgroundConfigurationStopsTheProcess) {
  EXPECT_DEATH(Session::makeWithConfiguration(platform::URLSessionConfiguration::backgroundConfiguration("x")), "");
  const auto root = platform::DispatchQueue::make("root");
  const auto elsewhere = platform::URLSession::make(platform::URLSessionConfiguration::ephemeralConfiguration(),
                                                    nullptr, platform::OperationQueue::make("other", platform::DispatchQueue::make("other")));
  EXPECT_DEATH(Session::make(elsewhere, SessionDelegate::make(), root), "");
}
