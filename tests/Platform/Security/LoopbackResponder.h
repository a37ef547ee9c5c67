#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "Platform/Foundation/Data.h"

// A minimal HTTP server on 127.0.0.1 that answers GET and POST with fixed
// bodies by path (404 for others), one connection at a time, and counts
// the requests it served.
class LoopbackResponder {
 public:
  LoopbackResponder();
  ~LoopbackResponder();
  LoopbackResponder(const LoopbackResponder&) = delete;
  LoopbackResponder& operator=(const LoopbackResponder&) = delete;

  // "http://127.0.0.1:<port><path>"
  std::string url(const std::string& path) const;
  void serve(const std::string& path, platform::Data body);
  int requestCount() const { return requests_; }

 private:
  void run();
  void answer(int connection);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::mutex mutex_;
  std::map<std::string, platform::Data> bodies_;
  std::thread thread_;
};
