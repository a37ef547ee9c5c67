#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Platform/URLLoading/URLSessionTask.h"
#include "Wendanet/Source/Core/Request.h"

namespace wendanet {

// Requests compared and hashed by their id, so that two objects with one id
// are one key.
struct RequestIDHash {
  std::size_t operator()(const std::shared_ptr<Request>& request) const { return std::hash<Request>{}(*request); }
};
struct RequestIDEqual {
  bool operator()(const std::shared_ptr<Request>& left, const std::shared_ptr<Request>& right) const {
    return *left == *right;
  }
};
using RequestSet = std::unordered_set<std::shared_ptr<Request>, RequestIDHash, RequestIDEqual>;

// Which URL task belongs to which request. A task stays until both its
// completion and its metrics have arrived, in either order; the call that
// brings the second one says so. Any breach of that bookkeeping is a
// programming error and stops the process.
class RequestTaskMap {
 public:
  using Task = std::shared_ptr<platform::URLSessionTask>;

  std::shared_ptr<Request> requestForTask(const Task& task) const;
  Task taskForRequest(const std::shared_ptr<Request>& request) const;
  // Replaces whatever stood under the request or the task.
  void setTaskForRequest(const std::shared_ptr<Request>& request, const Task& task);
  void disassociateTask(const Task& task);
  // One entry per mapped task, in no particular order.
  std::vector<std::shared_ptr<Request>> requests() const;

  // True when this call removed the task.
  bool completionReceivedForTask(const Task& task);
  bool metricsGatheredForTask(const Task& task);

 private:
  struct Events {
    bool completed = false;
    bool metricsGathered = false;
  };
  // Marks `own` for the task, or removes the task when `other` came first.
  bool eventReceived(const Task& task, bool Events::*own, bool Events::*other, const char* duplicateMessage);

  // A task's request and events live in one entry, set and removed together.
  struct TaskEntry {
    std::shared_ptr<Request> request;
    Events events;
  };

  std::unordered_map<Task, TaskEntry> tasks_;
  std::unordered_map<std::shared_ptr<Request>, Task, RequestIDHash, RequestIDEqual> requestsToTasks_;
};

}  // namespace wendanet
