#include "Wendanet/Source/Core/RequestTaskMap.h"

#include "Platform/Fatal.h"

namespace wendanet {

std::shared_ptr<Request> RequestTaskMap::requestForTask(const Task& task) const {
  const auto found = tasksToRequests_.find(task);
  return found == tasksToRequests_.end() ? nullptr : found->second;
}

RequestTaskMap::Task RequestTaskMap::taskForRequest(const std::shared_ptr<Request>& request) const {
  const auto found = requestsToTasks_.find(request);
  return found == requestsToTasks_.end() ? nullptr : found->second;
}

void RequestTaskMap::setTaskForRequest(const std::shared_ptr<Request>& request, const Task& task) {
  requestsToTasks_.insert_or_assign(request, task);
  tasksToRequests_.insert_or_assign(task, request);
  taskEvents_.insert_or_assign(task, Events{});
}

void RequestTaskMap::disassociateTask(const Task& task) {
  const auto found = tasksToRequests_.find(task);
  if (found == tasksToRequests_.end()) {
    platform::fatal("RequestTaskMap consistency error: no request corresponding to task found.");
  }
  const auto request = found->second;
  tasksToRequests_.erase(found);
  requestsToTasks_.erase(request);
  taskEvents_.erase(task);
}

std::vector<std::shared_ptr<Request>> RequestTaskMap::requests() const {
  std::vector<std::shared_ptr<Request>> requests;
  requests.reserve(tasksToRequests_.size());
  for (const auto& [task, request] : tasksToRequests_) requests.push_back(request);
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
  const auto found = taskEvents_.find(task);
  if (found == taskEvents_.end()) {
    platform::fatal("RequestTaskMap consistency error: no events corresponding to task found.");
  }
  if (found->second.*own) platform::fatal(duplicateMessage);
  if (found->second.*other) {
    disassociateTask(task);
    return true;
  }
  found->second.*own = true;
  return false;
}

}  // namespace wendanet
