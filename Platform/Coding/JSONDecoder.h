#pragma once

#include <functional>

#include "Platform/Coding/Codable.h"
#include "Platform/Coding/CodingStrategy.h"
#include "Platform/Coding/JSONSerialization.h"

namespace platform {

struct DateDecodingCases {
  enum Builtin { deferredToDate, secondsSince1970, millisecondsSince1970, iso8601 };
  using Handler = std::function<Date(Decoder&)>;
};

struct DataDecodingCases {
  enum Builtin { deferredToData, base64 };
  using Handler = std::function<Data(Decoder&)>;
};

// Decodes any decodable value from JSON text; the counterpart of JSONEncoder.
// Top-level scalars are accepted.
class JSONDecoder {
 public:
  using DateDecodingStrategy = CodingStrategy<DateDecodingCases>;
  using DataDecodingStrategy = CodingStrategy<DataDecodingCases>;

  DateDecodingStrategy dateDecodingStrategy = DateDecodingStrategy::deferredToDate;
  DataDecodingStrategy dataDecodingStrategy = DataDecodingStrategy::base64;
  CodingUserInfo userInfo;

  // Throws DecodingError: dataCorrupted for text that is not JSON (with the
  // reader's JSONSerializationError as underlying error), and whatever the
  // value or a custom strategy throws.
  void decode(const DecodableTarget& target, const Data& data) const;

  template <Decodable T>
  T decode(const Data& data) const {
    std::optional<T> value;
    decode(DecodableTarget(value), data);
    return std::move(*value);
  }
};

}  // namespace platform
