#pragma once

#include <concepts>
#include <memory>
#include <string>
#include <utility>

#include "Platform/Coding/Codable.h"
#include "Platform/Foundation/Data.h"
#include "Wendanet/Source/Support/DataDecoder.h"
#include "Wendanet/Source/Support/DataPreprocessor.h"
#include "Wendanet/Source/Support/DecodableResponseSerializer.h"
#include "Wendanet/Source/Support/ResponseSerializer.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

// Turns one received chunk of a streamed body into a value, or throws. A
// chunk is serialized as it arrived, on its own: a stream serializer never
// sees a joined buffer, so a document split over two chunks fails twice.
template <class S>
concept DataStreamSerializer = requires(const S& serializer, const platform::Data& chunk) {
  typename S::SerializedObject;
  { serializer.serialize(chunk) } -> std::convertible_to<typename S::SerializedObject>;
};

// Hands each chunk on unchanged.
struct PassthroughStreamSerializer {
  using SerializedObject = platform::Data;
  platform::Data serialize(const platform::Data& chunk) const { return chunk; }
};

// Each chunk as UTF-8 text, every ill-formed sequence replaced by U+FFFD,
// so it never fails. A character split between two chunks becomes two
// replacement characters here: a stream of text should be read through
// DataStreamRequest::responseStreamString, which keeps characters whole.
struct StringStreamSerializer {
  using SerializedObject = std::string;
  std::string serialize(const platform::Data& chunk) const;
};

// Each chunk preprocessed, then decoded into a T. A preprocessor's error
// passes on unchanged; a decoder's becomes decodingFailed.
template <platform::Decodable T>
class DecodableStreamSerializer {
 public:
  using SerializedObject = T;

  explicit DecodableStreamSerializer(
      std::shared_ptr<const DataDecoder> decoder = DecodableResponseSerializer<T>::defaultDecoder(),
      std::shared_ptr<const DataPreprocessor> dataPreprocessor = ResponseSerializer::defaultDataPreprocessor())
      : decoder_(std::move(decoder)), dataPreprocessor_(std::move(dataPreprocessor)) {}

  const std::shared_ptr<const DataDecoder>& decoder() const { return decoder_; }
  const std::shared_ptr<const DataPreprocessor>& dataPreprocessor() const { return dataPreprocessor_; }

  T serialize(const platform::Data& chunk) const {
    const platform::Data prepared = dataPreprocessor_->preprocess(chunk);
    try {
      return decoder_->template decode<T>(prepared);
    } catch (const platform::Error& failure) {
      throw WNError::responseSerializationFailed(ResponseSerializationFailureReason::decodingFailed(failure.clone()));
    }
  }

 private:
  std::shared_ptr<const DataDecoder> decoder_;
  std::shared_ptr<const DataPreprocessor> dataPreprocessor_;
};

}  // namespace wendanet
