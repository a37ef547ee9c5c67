#include "Platform/URLLoading/URLSessionWebSocketTask.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"

using namespace platform;

namespace {

int codeOf(const AnyError& error) {
  const auto* urlError = errorAs<URLError>(error);
  return error ? (urlError ? static_cast<int>(urlError->code()) : 1) : 0;
}

// Notes the endings, the handler answers and whether each came on the
// delegate queue; enough for tasks that never reach a server.
class Notes : public URLSessionDelegate {
 public:
  void didFinishCollectingMetrics(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                  const std::shared_ptr<const URLSessionTaskMetrics>& metrics) override {
    note("metrics " + std::to_string(metrics->transactionMetrics.size()));
  }
  void didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>&, const AnyError& error) override {
    note("complete " + std::to_string(codeOf(error)));
  }
  void didBecomeInvalidWithError(SessionRef, const AnyError&) override { note("invalid"); }

  URLSessionWebSocketTask::SendCompletionHandler sent() {
    return [this](const AnyError& error) { note("sent " + std::to_string(codeOf(error))); };
  }
  URLSessionWebSocketTask::ReceiveCompletionHandler received() {
    return [this](const std::expected<URLSessionWebSocketTask::Message, AnyError>& outcome) {
      note("received " + std::to_string(outcome ? 0 : codeOf(outcome.error())));
    };
  }
  URLSessionWebSocketTask::PongReceiveHandler pong() {
    return [this](const AnyError& error) { note("pong " + std::to_string(codeOf(error))); };
  }

  std::vector<std::string> waitForEvents(std::size_t count) {
    std::unique_lock lock(mutex_);
    EXPECT_TRUE(changed_.wait_for(lock, std::chrono::seconds(10), [&] { return events_.size() >= count; }));
    return events_;
  }
  bool everyNoteOnQueue() const {
    std::lock_guard lock(mutex_);
    return everyNoteOnQueue_;
  }

  const std::shared_ptr<DispatchQueue> queue = DispatchQueue::make("test.notes");

 private:
  void note(std::string event) {
    const bool onQueue = queue->isCurrent();
    std::lock_guard lock(mutex_);
    everyNoteOnQueue_ = everyNoteOnQueue_ && onQueue;
    events_.push_back(std::move(event));
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
  bool everyNoteOnQueue_ = true;
};

class URLSessionWebSocketTasks : public testing::Test {
 protected:
  std::shared_ptr<URLSessionWebSocketTask> task(const std::string& url) {
    return session->webSocketTaskWithRequest(URLRequest(URL::string(url)));
  }

  std::shared_ptr<Notes> notes = std::make_shared<Notes>();
  std::shared_ptr<URLSession> session = URLSession::make(URLSessionConfiguration::ephemeralConfiguration(), notes,
                                                         OperationQueue::make("test.notes.operations", notes->queue));
};

}  // namespace

TEST_F(URLSessionWebSocketTasks, StartsSuspendedWithTheDefaultMaximumAndNoCloseCode) {
  const auto socket = task("ws://127.0.0.1:9/");
  EXPECT_EQ(socket->state(), URLSessionTask::State::suspended);
  EXPECT_EQ(socket->maximumMessageSize(), 1048576);
  EXPECT_EQ(socket->closeCode(), URLSessionWebSocketCloseCode::invalid);
  EXPECT_EQ(socket->closeReason(), std::nullopt);
  EXPECT_EQ(socket->description(), "URLSessionWebSocketTask <1> GET ws://127.0.0.1:9/");
  session->invalidateAndCancel();
  EXPECT_EQ(notes->waitForEvents(3).back(), "invalid");
}

TEST_F(URLSessionWebSocketTasks, CloseBeforeTheConnectionOpensCancelsAndAnswersWhatWaited) {
  const auto socket = task("ws://127.0.0.1:9/");
  socket->send(std::string("queued"), notes->sent());
  socket->receive(notes->received());
  socket->sendPing(notes->pong());
  socket->cancelWithCloseCode(URLSessionWebSocketCloseCode::normalClosure, Data("bye"));
  EXPECT_EQ(notes->waitForEvents(5),
            (std::vector<std::string>{"received -999", "sent -999", "pong -999", "metrics 0", "complete -999"}));
  EXPECT_EQ(socket->closeCode(), URLSessionWebSocketCloseCode::invalid);
  EXPECT_TRUE(notes->everyNoteOnQueue());
  session->finishTasksAndInvalidate();
  notes->waitForEvents(6);
}

TEST_F(URLSessionWebSocketTasks, UnreachableOrUnsupportedURLsFailTheTask) {
  const auto refused = task("ws://127.0.0.1:9/");
  refused->resume();
  EXPECT_EQ(notes->waitForEvents(2), (std::vector<std::string>{"metrics 1", "complete -1004"}));
  const auto unsupported = task("http://127.0.0.1:9/");
  unsupported->resume();
  EXPECT_EQ(notes->waitForEvents(4).back(), "complete -1002");
  EXPECT_EQ(codeOf(unsupported->error()), -1002);
  session->finishTasksAndInvalidate();
  notes->waitForEvents(5);
}

TEST_F(URLSessionWebSocketTasks, TaskOfAnInvalidatedSessionAnswersEveryHandlerWithCancelled) {
  session->invalidateAndCancel();
  notes->waitForEvents(1);
  const auto socket = task("ws://127.0.0.1:9/");
  EXPECT_EQ(socket->state(), URLSessionTask::State::completed);
  socket->resume();
  socket->send(Data("x"), notes->sent());
  socket->receive(notes->received());
  socket->sendPing(notes->pong());
  EXPECT_EQ(notes->waitForEvents(4), (std::vector<std::string>{"invalid", "sent -999", "received -999", "pong -999"}));
  EXPECT_TRUE(notes->everyNoteOnQueue());
}
