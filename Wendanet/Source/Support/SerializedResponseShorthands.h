#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/JSONValue.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/TextEncoding.h"
#include "Wendanet/Source/Support/DataResponseSerializer.h"
#include "Wendanet/Source/Support/DecodableResponseSerializer.h"
#include "Wendanet/Source/Support/JSONResponseSerializer.h"
#include "Wendanet/Source/Support/ResponseSerializer.h"
#include "Wendanet/Source/Support/StringResponseSerializer.h"

namespace wendanet {

// The data, string, JSON and decodable response handlers, the same for
// every request kind that hands a whole body to serializers: each is its
// `Owner`'s `response(queue, serializer, completion)` with the matching
// serializer. `Response<Value>` is what the owner's handlers receive.
template <class Owner, template <class> class Response>
class SerializedResponseShorthands {
 public:
  template <class Value>
  using Handler = std::function<void(const Response<Value>&)>;
  using Serializers = ResponseSerializer;

  Owner& responseData(
      std::shared_ptr<platform::DispatchQueue> queue, Handler<platform::Data> completion,
      std::shared_ptr<const DataPreprocessor> dataPreprocessor = Serializers::defaultDataPreprocessor(),
      Serializers::EmptyResponseCodes emptyResponseCodes = Serializers::defaultEmptyResponseCodes(),
      Serializers::EmptyRequestMethods emptyRequestMethods = Serializers::defaultEmptyRequestMethods()) {
    return owner().response(std::move(queue),
                            DataResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes),
                                                   std::move(emptyRequestMethods)),
                            std::move(completion));
  }

  Owner& responseString(
      std::shared_ptr<platform::DispatchQueue> queue, Handler<std::string> completion,
      std::shared_ptr<const DataPreprocessor> dataPreprocessor = Serializers::defaultDataPreprocessor(),
      std::optional<platform::TextEncoding> encoding = std::nullopt,
      Serializers::EmptyResponseCodes emptyResponseCodes = Serializers::defaultEmptyResponseCodes(),
      Serializers::EmptyRequestMethods emptyRequestMethods = Serializers::defaultEmptyRequestMethods()) {
    return owner().response(std::move(queue),
                            StringResponseSerializer(std::move(dataPreprocessor), encoding,
                                                     std::move(emptyResponseCodes), std::move(emptyRequestMethods)),
                            std::move(completion));
  }

  Owner& responseJSON(
      std::shared_ptr<platform::DispatchQueue> queue, Handler<platform::JSONValue> completion,
      std::shared_ptr<const DataPreprocessor> dataPreprocessor = Serializers::defaultDataPreprocessor(),
      Serializers::EmptyResponseCodes emptyResponseCodes = Serializers::defaultEmptyResponseCodes(),
      Serializers::EmptyRequestMethods emptyRequestMethods = Serializers::defaultEmptyRequestMethods(),
      platform::JSONReadingOptions options = JSONResponseSerializer::defaultOptions) {
    return owner().response(std::move(queue),
                            JSONResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes),
                                                   std::move(emptyRequestMethods), options),
                            std::move(completion));
  }

  template <platform::Decodable T>
  Owner& responseDecodable(
      std::shared_ptr<platform::DispatchQueue> queue, Handler<T> completion,
      std::shared_ptr<const DataPreprocessor> dataPreprocessor = Serializers::defaultDataPreprocessor(),
      std::shared_ptr<const DataDecoder> decoder = DecodableResponseSerializer<T>::defaultDecoder(),
      Serializers::EmptyResponseCodes emptyResponseCodes = Serializers::defaultEmptyResponseCodes(),
      Serializers::EmptyRequestMethods emptyRequestMethods = Serializers::defaultEmptyRequestMethods()) {
    return owner().response(std::move(queue),
                            DecodableResponseSerializer<T>(std::move(dataPreprocessor), std::move(decoder),
                                                           std::move(emptyResponseCodes),
                                                           std::move(emptyRequestMethods)),
                            std::move(completion));
  }

 private:
  Owner& owner() { return static_cast<Owner&>(*this); }
};

}  // namespace wendanet
