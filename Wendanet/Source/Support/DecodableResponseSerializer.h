#pragma once

#include <memory>

#include "Platform/Coding/Codable.h"
#include "Wendanet/Source/Support/DataDecoder.h"
#include "Wendanet/Source/Core/Empty.h"
#include "Wendanet/Source/Support/ResponseSerializer.h"
#include "Wendanet/Source/Support/TypeName.h"

namespace wendanet {

// The body decoded into a T by a DataDecoder (JSON unless told otherwise).
// An allowed empty body gives T's empty value when T has one; for any
// other T it fails with invalidEmptyResponse naming the type.
template <platform::Decodable T>
class DecodableResponseSerializer final : public ResponseSerializer {
 public:
  using SerializedObject = T;

  static const std::shared_ptr<const DataDecoder>& defaultDecoder() {
    static const std::shared_ptr<const DataDecoder> decoder = std::make_shared<JSONDataDecoder>();
    return decoder;
  }

  explicit DecodableResponseSerializer(
      std::shared_ptr<const DataPreprocessor> dataPreprocessor = defaultDataPreprocessor(),
      std::shared_ptr<const DataDecoder> decoder = defaultDecoder(),
      EmptyResponseCodes emptyResponseCodes = defaultEmptyResponseCodes(),
      EmptyRequestMethods emptyRequestMethods = defaultEmptyRequestMethods())
      : ResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes), std::move(emptyRequestMethods)),
        decoder_(std::move(decoder)) {}

  const std::shared_ptr<const DataDecoder>& decoder() const { return decoder_; }

  T serialize(const std::optional<platform::URLRequest>& request,
              const std::shared_ptr<const platform::HTTPURLResponse>& response,
              const std::optional<platform::Data>& data, const std::optional<WNError>& error) const {
    using Reason = ResponseSerializationFailureReason;
    const auto decode = [&](const platform::Data& body) {
      try {
        return decoder_->template decode<T>(body);
      } catch (const platform::Error& failure) {
        throw WNError::responseSerializationFailed(Reason::decodingFailed(failure.clone()));
      }
    };
    const auto makeEmpty = []() -> T {
      if constexpr (EmptyResponse<T>) {
        return T::emptyValue();
      } else {
        throw WNError::responseSerializationFailed(Reason::invalidEmptyResponse(unqualifiedTypeName<T>()));
      }
    };
    return serializeBody(request, response, data, error, decode, makeEmpty);
  }
  T serializeDownload(const std::optional<platform::URLRequest>& request,
                      const std::shared_ptr<const platform::HTTPURLResponse>& response,
                      const std::optional<platform::URL>& fileURL, const std::optional<WNError>& error) const {
    return serialize(request, response, downloadedData(fileURL, error), std::nullopt);
  }

 private:
  std::shared_ptr<const DataDecoder> decoder_;
};

}  // namespace wendanet
