#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "tests/Integration/DecidingSessionDelegate.h"
#include "tests/servers/HttpbinServer.h"

// Tests of a session whose delegate decides on redirects, challenges and
// caching, against the local httpbin unless they bring a server.
class DecidingSessionTest : public testing::Test {
 public:
  static platform::URLRequest httpbinRequest(const std::string& path) {
    return platform::URLRequest(platform::URL::string(testservers::HttpbinServer::shared().baseURL() + path));
  }

  static nlohmann::json bodyJSON(const TaskRecord& record) { return nlohmann::json::parse(record.data.view()); }

  // Whether the task's last transaction went to the network or the cache.
  static platform::URLSessionTaskTransactionMetrics::ResourceFetchType fetchType(const TaskRecord& record) {
    return record.metrics->transactionMetrics.back().resourceFetchType;
  }

  static int statusCode(const TaskRecord& record) {
    const auto response = std::dynamic_pointer_cast<platform::HTTPURLResponse>(record.response);
    return response ? response->statusCode() : 0;
  }

  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    EXPECT_EQ(delegate->lateCallbacks(), 0);
  }

 protected:
  TaskRecord run(const std::shared_ptr<platform::URLSessionTask>& task) {
    task->resume();
    return delegate->waitForCompletion(task);
  }

  TaskRecord run(const platform::URLRequest& request) { return run(session->dataTaskWithRequest(request)); }

  // A new delegate and a session over the configuration.
  void remakeSession(const std::shared_ptr<platform::URLSessionConfiguration>& configuration) {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    delegate = std::make_shared<DecidingSessionDelegate>();
    session = makeRecordingSession(delegate, configuration);
  }

  std::shared_ptr<DecidingSessionDelegate> delegate = std::make_shared<DecidingSessionDelegate>();
  std::shared_ptr<platform::URLSession> session = makeRecordingSession(delegate);
};
