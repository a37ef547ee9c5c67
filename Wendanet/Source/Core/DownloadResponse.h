#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/ResponseBase.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/ResponseDescription.h"

namespace wendanet {

// What one download produced: as DataResponse, with the downloaded file and
// the data to resume from in place of the body.
template <class Success, class Failure = WNError>
class DownloadResponse : public ResponseBase<DownloadResponse, Success, Failure, std::optional<platform::URL>,
                                             std::optional<platform::Data>> {
  using Base =
      ResponseBase<DownloadResponse, Success, Failure, std::optional<platform::URL>, std::optional<platform::Data>>;

 public:
  using typename Base::Result;

  DownloadResponse(std::optional<platform::URLRequest> request,
                   std::shared_ptr<const platform::HTTPURLResponse> response, std::optional<platform::URL> fileURL,
                   std::optional<platform::Data> resumeData,
                   std::shared_ptr<const platform::URLSessionTaskMetrics> metrics, double serializationDuration,
                   Result result)
      : Base(std::move(request), std::move(response), std::move(fileURL), std::move(resumeData), std::move(metrics),
             serializationDuration, std::move(result)) {}

  const std::optional<platform::URL>& fileURL() const { return this->template field<0>(); }
  const std::optional<platform::Data>& resumeData() const { return this->template field<1>(); }

  std::string debugDescription() const {
    return downloadResponseDebugDescription(this->request(), this->response(), fileURL(), resumeData(), this->metrics(),
                                            this->serializationDuration(), this->description());
  }
};

}  // namespace wendanet
