#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/URLLoading/Engine/Transfer.h"
#include "Platform/URLLoading/Engine/TransferScheduler.h"

using namespace platform;

namespace {

class IgnoringListener final : public TransferListener {
 public:
  void transferReceivedResponse(const std::shared_ptr<HTTPURLResponse>&) override {}
  bool transferReceivedBody(const char*, std::size_t) override { return true; }
  void transferSentBody(std::size_t) override {}
  void transferEnded(CURLcode) override {}
};

// Transfers are only ever put on the multi handle here, never run, so no
// request leaves the process.
class TransferSchedulerTest : public testing::Test {
 protected:
  ~TransferSchedulerTest() override {
    transfers.clear();
    scheduler.reset();
    curl_multi_cleanup(multi);
  }

  void useCap(int connectionsPerHost) { scheduler = std::make_unique<TransferScheduler>(multi, connectionsPerHost); }

  Transfer& add(const std::string& origin) {
    transfers.push_back(std::make_unique<Transfer>(listener, *scheduler, URLRequest(URL::string(origin + "/")),
                                                   std::make_shared<const std::vector<std::string>>(),
                                                   std::unique_ptr<BodySource>()));
    return *transfers.back();
  }

  std::vector<bool> started() const { return whether(&Transfer::started); }
  std::vector<bool> waitingForProtocol() const { return whether(&Transfer::waitsForProtocol); }

  std::vector<bool> whether(bool (Transfer::*property)() const) const {
    std::vector<bool> states;
    for (const auto& transfer : transfers) states.push_back(transfer && (*transfer.*property)());
    return states;
  }

  CURLM* multi = curl_multi_init();
  IgnoringListener listener;
  std::unique_ptr<TransferScheduler> scheduler = std::make_unique<TransferScheduler>(multi, 2);
  std::vector<std::unique_ptr<Transfer>> transfers;
};

const std::string origin = "http://127.0.0.1:9";

}  // namespace

TEST_F(TransferSchedulerTest, AtMostTheCapRunsAndTheRestStartInTheOrderTheyCame) {
  for (int index = 0; index < 5; ++index) add(origin);
  EXPECT_EQ(started(), (std::vector<bool>{true, true, false, false, false}));
  transfers[1].reset();
  EXPECT_EQ(started(), (std::vector<bool>{true, false, false, false, false}));
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{true, false, true, false, false}));
  transfers[0].reset();
  transfers[2].reset();
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{false, false, false, true, true}));
}

TEST_F(TransferSchedulerTest, OriginsWaitOnlyForThemselvesAndALeavingTransferTakesNoPlace) {
  add(origin);
  add(origin);
  add(origin);
  add("HTTP://127.0.0.1:80");
  add("http://127.0.0.1");
  add("https://127.0.0.1:9");
  // Scheme and host compare without case; port 80 is http's own.
  EXPECT_EQ(started(), (std::vector<bool>{true, true, false, true, true, true}));
  transfers[2].reset();
  transfers[0].reset();
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{false, true, false, true, true, true}));
}

TEST_F(TransferSchedulerTest, AMultiplexingOriginStartsEverythingAtOnce) {
  for (int index = 0; index < 4; ++index) add(origin);
  add("http://127.0.0.2:9");
  add("http://127.0.0.2:9");
  add("http://127.0.0.2:9");
  scheduler->originMultiplexes(origin);
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{true, true, true, true, true, true, false}));
  add(origin);
  EXPECT_TRUE(transfers.back()->started());
}

TEST_F(TransferSchedulerTest, WithoutACapEveryTransferStartsAtOnce) {
  useCap(0);
  for (int index = 0; index < 10; ++index) add(origin);
  EXPECT_EQ(started(), std::vector<bool>(10, true));
}

// A secure origin may turn out to share one connection between all its
// transfers: until its first connection tells, only one transfer opens it.
TEST_F(TransferSchedulerTest, ASecureOriginWaitsForItsFirstConnectionsProtocol) {
  const std::string sharing = "https://127.0.0.1:9";
  const std::string oneEach = "https://127.0.0.2:9";
  for (int index = 0; index < 3; ++index) add(sharing);
  for (int index = 0; index < 3; ++index) add(oneEach);
  EXPECT_EQ(started(), (std::vector<bool>{true, false, false, true, false, false}));
  scheduler->originMultiplexes(sharing);
  scheduler->originDoesNotMultiplex(oneEach);
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{true, true, true, true, true, false}));
  // The one left waits for a place now, not for the protocol.
  EXPECT_EQ(waitingForProtocol(), std::vector<bool>(6, false));
  // Once known, later bursts do not wait for it again.
  transfers.clear();
  for (int index = 0; index < 3; ++index) add(oneEach);
  EXPECT_EQ(started(), (std::vector<bool>{true, true, false}));
}

// Whether it failed or was given up, the origin's protocol is still
// unknown: the others start together, up to the cap, rather than one at a
// time against a server that may fail every connection.
TEST_F(TransferSchedulerTest, AFirstTransferThatGoesBeforeItsConnectionTellsLetsTheOthersStartTogether) {
  const std::string secure = "https://127.0.0.1:9";
  for (int index = 0; index < 4; ++index) add(secure);
  EXPECT_EQ(started(), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(waitingForProtocol(), (std::vector<bool>{false, true, true, true}));
  transfers[0].reset();
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(waitingForProtocol(), (std::vector<bool>{false, false, false, false}));
  scheduler->originMultiplexes(secure);
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{false, true, true, true}));
}

// A waiting transfer whose own limit passed goes on by itself, within the
// cap and in its turn among those that did too; the rest keep waiting for
// the first connection, which only the transfer opening it answers for.
TEST_F(TransferSchedulerTest, ATransferThatStopsWaitingForTheProtocolStartsAloneAndTheOthersWaitOn) {
  const std::string secure = "https://127.0.0.1:9";
  for (int index = 0; index < 4; ++index) add(secure);
  scheduler->stopWaitingForProtocol(*transfers[3]);
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(waitingForProtocol(), (std::vector<bool>{false, true, true, false}));
  scheduler->stopWaitingForProtocol(*transfers[1]);
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{true, false, false, true}));
  transfers[3].reset();
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(waitingForProtocol(), (std::vector<bool>{false, false, true, false}));
  transfers[0].reset();
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(waitingForProtocol(), std::vector<bool>(4, false));
}

// A suspended transfer may keep its connection unused for ever: when it is
// the one opening the origin's first connection, the others start without
// it, up to the cap; a suspended waiter holds nobody up.
TEST_F(TransferSchedulerTest, SuspendingTheFirstTransferLetsTheOthersStartTogether) {
  const std::string secure = "https://127.0.0.1:9";
  for (int index = 0; index < 4; ++index) add(secure);
  transfers[1]->setSuspended(true);
  scheduler->startWaiting();
  EXPECT_EQ(waitingForProtocol(), (std::vector<bool>{false, true, true, true}));
  transfers[0]->setSuspended(true);
  scheduler->startWaiting();
  EXPECT_EQ(started(), (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(waitingForProtocol(), std::vector<bool>(4, false));
}
