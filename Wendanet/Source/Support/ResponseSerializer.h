#pragma once

#include <concepts>
#include <memory>
#include <optional>
#include <utility>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Support/DataPreprocessor.h"
#include "Wendanet/Source/Support/SharedSet.h"
#include "Wendanet/Source/Core/HTTPMethod.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

// Turns what a finished data request gathered (its last URL request, the
// HTTP response, the body and the request's error, each possibly absent)
// into a value, or throws. A thrown error that is not a WNError reaches the
// request's handlers as a custom serialization failure.
template <class S>
concept DataResponseSerializerProtocol = requires(const S& serializer,
                                                  const std::optional<platform::URLRequest>& request,
                                                  const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                  const std::optional<platform::Data>& data,
                                                  const std::optional<WNError>& error) {
  typename S::SerializedObject;
  { serializer.serialize(request, response, data, error) } -> std::convertible_to<typename S::SerializedObject>;
};

// The same for a download, with the downloaded file in place of the body.
template <class S>
concept DownloadResponseSerializerProtocol = requires(const S& serializer,
                                                      const std::optional<platform::URLRequest>& request,
                                                      const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                      const std::optional<platform::URL>& fileURL,
                                                      const std::optional<WNError>& error) {
  typename S::SerializedObject;
  {
    serializer.serializeDownload(request, response, fileURL, error)
    } -> std::convertible_to<typename S::SerializedObject>;
};

// Throws the error handed to a serializer, if there is one.
inline void throwIfPresent(const std::optional<WNError>& error) {
  if (error) throw *error;
}

// What the body serializers share: the preprocessor a body goes through
// and the rules for a body that is absent or empty. Such a body is allowed
// for the chosen request methods (matched exactly, letter case included)
// and, failing that, for the chosen status codes; it then stands for the
// serializer's empty value. The serializers are immutable values, so one
// may serve any number of requests on any thread.
class ResponseSerializer {
 public:
  using EmptyResponseCodes = SharedSet<int>;
  using EmptyRequestMethods = SharedSet<HTTPMethod>;

  // A PassthroughPreprocessor.
  static const std::shared_ptr<const DataPreprocessor>& defaultDataPreprocessor();
  // 204 and 205.
  static const EmptyResponseCodes& defaultEmptyResponseCodes();
  // HEAD.
  static const EmptyRequestMethods& defaultEmptyRequestMethods();

  const std::shared_ptr<const DataPreprocessor>& dataPreprocessor() const { return dataPreprocessor_; }
  const EmptyResponseCodes& emptyResponseCodes() const { return emptyResponseCodes_; }
  const EmptyRequestMethods& emptyRequestMethods() const { return emptyRequestMethods_; }

  // Absent when there is no request or it has no method.
  std::optional<bool> requestAllowsEmptyResponseData(const std::optional<platform::URLRequest>& request) const;
  // Absent when there is no response.
  std::optional<bool> responseAllowsEmptyResponseData(
      const std::shared_ptr<const platform::HTTPURLResponse>& response) const;
  bool emptyResponseAllowed(const std::optional<platform::URLRequest>& request,
                            const std::shared_ptr<const platform::HTTPURLResponse>& response) const;

 protected:
  ResponseSerializer(std::shared_ptr<const DataPreprocessor> dataPreprocessor, EmptyResponseCodes emptyResponseCodes,
                     EmptyRequestMethods emptyRequestMethods);
  ~ResponseSerializer() = default;

  // A given error is thrown again; a body with bytes is preprocessed and
  // handed to `decode`; an absent or empty one gives `makeEmpty()` where
  // allowed and fails with inputDataNilOrZeroLength otherwise.
  template <class Decode, class MakeEmpty>
  auto serializeBody(const std::optional<platform::URLRequest>& request,
                     const std::shared_ptr<const platform::HTTPURLResponse>& response,
                     const std::optional<platform::Data>& data, const std::optional<WNError>& error, Decode&& decode,
                     MakeEmpty&& makeEmpty) const {
    throwIfPresent(error);
    if (data && !data->empty()) return std::forward<Decode>(decode)(dataPreprocessor_->preprocess(*data));
    if (emptyResponseAllowed(request, response)) return std::forward<MakeEmpty>(makeEmpty)();
    throw WNError::responseSerializationFailed(ResponseSerializationFailureReason::inputDataNilOrZeroLength());
  }

  // The downloaded file's bytes, to be serialized as a body. A given error
  // is thrown again; a missing file URL fails with inputFileNil and a file
  // that cannot be read with inputFileReadFailed.
  static platform::Data downloadedData(const std::optional<platform::URL>& fileURL,
                                       const std::optional<WNError>& error);

 private:
  std::shared_ptr<const DataPreprocessor> dataPreprocessor_;
  EmptyResponseCodes emptyResponseCodes_;
  EmptyRequestMethods emptyRequestMethods_;
};

}  // namespace wendanet
