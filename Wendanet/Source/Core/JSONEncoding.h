#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Core/ParameterEncoding.h"

namespace wendanet {

// Writes parameters as a JSON body with the given writing options
// (compact when none is set).
class JSONEncoding final : public ParameterEncoding {
 public:
  using WritingOptions = platform::JSONSerialization::WritingOptions;

  // The parameters hold something JSON cannot express: a date, a number
  // that is not finite, text that is not UTF-8, or a scalar at the top.
  class Error : public platform::ErrorBase<Error> {
   public:
    static Error invalidJSONObject() { return Error(); }

    // The type's own explanation. Messages do not show it: to them this
    // error has no localized description of its own.
    static constexpr std::string_view explanation =
        "Invalid JSON object provided for parameter or object encoding. This is most likely due to a value which "
        "can't be represented in Objective-C.";

    std::string description() const override { return "invalidJSONObject"; }
    std::string localizedDescription() const override;
  };

  explicit JSONEncoding(WritingOptions options = {}) : options_(options) {}

  static JSONEncoding default_() { return JSONEncoding(); }
  static JSONEncoding prettyPrinted() { return JSONEncoding(WritingOptions::prettyPrinted); }

  WritingOptions options() const { return options_; }

  // Throws WNError parameterEncodingFailed (jsonEncodingFailed) carrying
  // Error::invalidJSONObject, or the serializer's error. The body gets the
  // Content-Type "application/json" unless it has one.
  platform::URLRequest encode(const URLRequestConvertible& convertible,
                              const std::optional<Parameters>& parameters) const override;
  // The same for any JSON value; only an array or an object at the top is
  // valid.
  platform::URLRequest encodeWithJSONObject(const URLRequestConvertible& convertible,
                                            const std::optional<platform::JSONValue>& jsonObject) const;

 private:
  platform::URLRequest encoded(platform::URLRequest request, const std::optional<platform::JSONValue>& json) const;

  WritingOptions options_;
};

}  // namespace wendanet
