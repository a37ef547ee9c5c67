#include "Wendanet/Source/Core/RequestTaskMap.h"

#include "Platform/Fatal.h"

namespace wendanet {

std::shared_ptr<Request> RequestTaskMap::requestForTask(const Task& task) const {
  const auto found = tasks_.find(task);
  return found == tasks_.end() ? nullptr : found->second.request;
}

RequestTaskMap::Task RequestTaskMap::taskForRequest(const std::shared_ptr<Request>& request) const {
  const auto found = requestsToTasks_.find(request);
  return found == requestsToTasks_.end() ? nullptr : found->second;
}

void RequestTaskMap::setTaskForRequest(const std::shared_ptr<Request>& request, const Task& task) {
  requestsToTasks_.insert_or_assign(request, task);
  tasks_.insert_or_assign(task, TaskEntry{request, Events{}});
}

void RequestTaskMap::disassociateTask(const Task& task) {
  const auto found = tasks_.find(task);
  if (found == tasks_.end()) {
    platform::fatal("RequestTaskMap consistency error: no request corresponding to task found.");
  }
  const auto request = std::move(found->second.request);
  tasks_.erase(found);
  requestsToTasks_.erase(request);
}

std::vector<std::shared_ptr<Request>> RequestTaskMap::requests() const {
  std::vector<std::shared_ptr<Request>> requests;
  requests.reserve(tasks_.size());
  for (const auto& [task, entry] : tasks_) requests.push_back(entry.request);
  return requests;
}

bool RequestTaskMap::completionReceivedForTask(const Task& task) {
  return eventReceived(task, &Events::completed, &Events::metricsGathered,
                       "RequestTaskMap consistency error: duplicate completionReceivedForTask call.");
}

bool RequestTaskMap::metricsGatheredForTask(const Task& task) {
  return eventReceived(task, &Events::metricsGathered, &Events::completed,
                       "RequestTaskMap consistency error: duplicate metricsGatheredForTask call.");
}

bool RequestTaskMap::eventReceived(const Task& task, bool Events::*own, bool Events::*other,
                                   const char* duplicateMessage) {
  const auto found = tasks_.find(task);
  if (found == tasks_.end()) {
    platform::fatal("RequestTaskMap consistency error: no events corresponding to task found.");
  }
  auto& events = found->second.events;
  if (events.*own) platform::fatal(duplicateMessage);
  if (events.*other) {
    disassociateTask(task);
    return true;
  }
  events.*own = true;
  return false;
}

}  // namespace wendanet
