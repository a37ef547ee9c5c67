#include <gtest/gtest.h>
#include <netinet/in.h>

#include <string>
#include <vector>

#include "Wendanet/Source/Policies/NetworkReachabilityManager.h"
#include "tests/Wendanet/RequestTestDoubles.h"

using namespace wendanet;
using Manager = NetworkReachabilityManager;
using Status = Manager::NetworkReachabilityStatus;
using platform::NetworkReachability;

namespace {

std::string describe(const Status& status) {
  if (status == Status::unknown()) return "unknown";
  if (status == Status::notReachable()) return "notReachable";
  if (status == Status::reachable(Status::ConnectionType::cellular)) return "cellular";
  return "ethernetOrWiFi";
}

std::shared_ptr<NetworkReachability> loopbackReachability() {
  sockaddr_in loopback{};
  loopback.sin_family = AF_INET;
  loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return NetworkReachability::createWithAddress(reinterpret_cast<const sockaddr&>(loopback));
}

class ReachabilityListening : public ::testing::Test {
 protected:
  void begin() {
    EXPECT_TRUE(manager->beginListening([this](const Status& status) { told.push_back(describe(status)); },
                                        wendanet::testing::testQueue("org.wendanet.test.listener")));
  }
  // The listener learns of a status in two hops: the reachability queue,
  // then its own.
  std::vector<std::string> takeTold() {
    manager->reachabilityQueue()->sync([] {});
    wendanet::testing::settle();
    return std::exchange(told, {});
  }

  std::shared_ptr<NetworkReachability> reachability = loopbackReachability();
  std::shared_ptr<Manager> manager = Manager::make(reachability);
  std::vector<std::string> told;
};

}  // namespace

TEST(NetworkReachabilityStatus, FromFlags) {
  const std::vector<std::pair<std::optional<Manager::Flags>, std::string>> cases{
      {std::nullopt, "unknown"}, {0x0, "notReachable"},      {0x2, "ethernetOrWiFi"},
      {0x6, "notReachable"},     {0xE, "ethernetOrWiFi"},    {0x26, "ethernetOrWiFi"},
      {0x1E, "notReachable"},    {0x30006, "notReachable"},  {0x20002, "ethernetOrWiFi"},
  };
  for (const auto& [flags, expected] : cases) {
    EXPECT_EQ(describe(Status::fromFlags(flags)), expected) << (flags ? *flags : -1);
  }
}

TEST(NetworkReachabilityManager, DescribesFlagsLetterByLetter) {
  EXPECT_EQ(Manager::describeFlags(Manager::Flags{0x2}), "-R --------");
  EXPECT_EQ(Manager::describeFlags(Manager::Flags{0x2000E}), "-R c--C--da");
  EXPECT_EQ(Manager::describeFlags(Manager::Flags{0x3003F}), "-R ctiCDlda");
  EXPECT_EQ(Manager::describeFlags(std::nullopt), "nil");
  std::weak_ptr<Manager> gone = Manager::make(loopbackReachability());
  EXPECT_EQ(Manager::describeFlags(gone), "nil");
}

TEST(NetworkReachabilityManager, LoopbackIsReachableDirectly) {
  const auto manager = Manager::make(loopbackReachability());
  const auto flags = manager->currentFlags();
  ASSERT_TRUE(flags);
  EXPECT_EQ(*flags, NetworkReachability::reachable | NetworkReachability::isLocalAddress | NetworkReachability::isDirect);
  EXPECT_TRUE(manager->isReachableViaEthernetOrWiFi());
  EXPECT_TRUE(manager->isReachableViaAny());
  EXPECT_FALSE(manager->isReachableViaCellular());
}

TEST_F(ReachabilityListening, TellsTheFirstStatusThenOnlyChanges) {
  begin();
  EXPECT_EQ(takeTold(), std::vector<std::string>{"ethernetOrWiFi"});
  manager->handleReachabilityChange(0x20002);
  manager->handleReachabilityChange(0x2);
  EXPECT_TRUE(takeTold().empty());
  manager->handleReachabilityChange(0x0);
  manager->handleReachabilityChange(0x6);
  manager->handleReachabilityChange(0x2);
  EXPECT_EQ(takeTold(), (std::vector<std::string>{"notReachable", "ethernetOrWiFi"}));
}

TEST_F(ReachabilityListening, ListeningAgainTellsTheSameStatusAgain) {
  begin();
  EXPECT_EQ(takeTold(), std::vector<std::string>{"ethernetOrWiFi"});
  manager->endListening();
  manager->handleReachabilityChange(0x0);
  EXPECT_TRUE(takeTold().empty());
  begin();
  EXPECT_EQ(takeTold(), std::vector<std::string>{"ethernetOrWiFi"});
}

TEST_F(ReachabilityListening, ReleasingTheManagerRemovesTheServiceCallback) {
  begin();
  EXPECT_TRUE(reachability->hasCallback());
  takeTold();
  manager.reset();
  EXPECT_FALSE(reachability->hasCallback());
}
