#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/URLResponse.h"
#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Core/DataResponse.h"
#include "Wendanet/Source/Core/DownloadResponse.h"
#include "Wendanet/Source/Support/EventMonitorEvents.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"
#include "Wendanet/Source/Core/Uploadable.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

class Request;
class DataRequest;
class DataStreamRequest;
class DownloadRequest;
class UploadRequest;

// What a validator concluded: nothing, or the error it failed with.
using ValidationResult = std::expected<void, platform::AnyError>;

// An observer of every notable step of URL sessions, tasks and requests.
// Each event does nothing unless overridden, returns nothing and is never
// waited for: monitors watch, they cannot steer. Events whose value type
// the serializer chooses carry it as an AnyValue.
//
// Optional errors are null pointers when absent.
class EventMonitor {
 public:
  virtual ~EventMonitor() = default;

  // Where the monitor wants its events; the main queue unless overridden.
  virtual std::shared_ptr<platform::DispatchQueue> queue() const;
  // Whether anyone can see what the monitor does with its events right now.
  // A monitor that says no is handed nothing: its events would only queue
  // work, and keep their requests alive, on a queue that may never drain.
  virtual bool isObserved() const;

  // The events, as listed in EventMonitorEvents.h.
#define WENDANET_DECLARE_EVENT(name, parameters, arguments) virtual void name parameters;
  WENDANET_EVENT_MONITOR_EVENTS(WENDANET_DECLARE_EVENT, WENDANET_DECLARE_EVENT)
#undef WENDANET_DECLARE_EVENT
};

}  // namespace wendanet
