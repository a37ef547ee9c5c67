#pragma once

#include <optional>
#include <utility>

#include "Platform/Coding/Codable.h"
#include "Platform/Coding/JSONDecoder.h"
#include "Platform/Fatal.h"
#include "Platform/Foundation/Data.h"

namespace wendanet {

// Builds decodable values from response bodies.
class DataDecoder {
 public:
  virtual ~DataDecoder() = default;

  // Decodes the value `target` stands for; throws a platform::Error.
  virtual void decode(const platform::DecodableTarget& target, const platform::Data& data) const = 0;

  template <platform::Decodable T>
  T decode(const platform::Data& data) const {
    std::optional<T> value;
    decode(platform::DecodableTarget(value), data);
    if (!value) platform::fatal("A data decoder returned without a value or an error");
    return *std::move(value);
  }
};

// The platform's JSON decoder, with whatever strategies it was set up with.
class JSONDataDecoder final : public DataDecoder {
 public:
  explicit JSONDataDecoder(platform::JSONDecoder decoder = {}) : decoder_(std::move(decoder)) {}

  const platform::JSONDecoder& decoder() const { return decoder_; }

  using DataDecoder::decode;
  void decode(const platform::DecodableTarget& target, const platform::Data& data) const override {
    decoder_.decode(target, data);
  }

 private:
  platform::JSONDecoder decoder_;
};

}  // namespace wendanet
