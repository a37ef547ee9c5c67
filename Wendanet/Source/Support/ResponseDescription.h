#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"

namespace wendanet {

// The sectioned debugging texts of the response values, laid out to the
// character; `resultText` is the outcome's own text. Without a request only
// the outcome is shown.
std::string dataResponseDebugDescription(const std::optional<platform::URLRequest>& request,
                                         const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                         const std::optional<platform::Data>& data,
                                         const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics,
                                         double serializationDuration, std::string_view resultText);

std::string downloadResponseDebugDescription(const std::optional<platform::URLRequest>& request,
                                             const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                             const std::optional<platform::URL>& fileURL,
                                             const std::optional<platform::Data>& resumeData,
                                             const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics,
                                             double serializationDuration, std::string_view resultText);

}  // namespace wendanet
