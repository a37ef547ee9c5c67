#pragma once

#include <memory>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/UUID.h"

namespace wendanet {

// The concurrent queue every stream completion queue targets, made on
// first use: "org.wendanet.concurrencySingleEventQueue".
const std::shared_ptr<platform::DispatchQueue>& singleEventQueue();

// A new serial queue on `singleEventQueue`, labelled
// "org.wendanet.concurrencyStreamCompletionQueue-" and the request's id, on
// which one stream's handler (or one send) is called, in order. Never
// cached: two streams of one request get two queues.
std::shared_ptr<platform::DispatchQueue> streamCompletionQueue(const platform::UUID& requestID);

}  // namespace wendanet
