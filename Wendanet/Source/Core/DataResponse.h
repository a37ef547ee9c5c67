#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/ResponseBase.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/ResponseDescription.h"

namespace wendanet {

// What one data or upload request produced: the URL request sent, the HTTP
// response, the body, the task's metrics, how long the serializer ran and
// the outcome. An immutable value; the response and metrics objects are
// shared, never changed.
template <class Success, class Failure = WNError>
class DataResponse : public ResponseBase<DataResponse, Success, Failure, std::optional<platform::Data>> {
  using Base = ResponseBase<DataResponse, Success, Failure, std::optional<platform::Data>>;

 public:
  using typename Base::Result;

  DataResponse(std::optional<platform::URLRequest> request, std::shared_ptr<const platform::HTTPURLResponse> response,
               std::optional<platform::Data> data, std::shared_ptr<const platform::URLSessionTaskMetrics> metrics,
               double serializationDuration, Result result)
      : Base(std::move(request), std::move(response), std::move(data), std::move(metrics), serializationDuration,
             std::move(result)) {}

  const std::optional<platform::Data>& data() const { return this->template field<0>(); }

  // Request, response, body, durations and outcome, one section each.
  std::string debugDescription() const {
    return dataResponseDebugDescription(this->request(), this->response(), data(), this->metrics(),
                                        this->serializationDuration(), this->description());
  }
};

}  // namespace wendanet
