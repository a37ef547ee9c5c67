#pragma once

#include <functional>

#include "Platform/Coding/Codable.h"
#include "Platform/Coding/CodingStrategy.h"
#include "Platform/Coding/JSONSerialization.h"

namespace platform {

struct DateEncodingCases {
  enum Builtin {
    // The date's own encoding: seconds since 2001-01-01T00:00:00Z.
    deferredToDate,
    secondsSince1970,
    millisecondsSince1970,
    // Text such as 2026-12-05T18:39:48Z.
    iso8601,
  };
  // Writes the date into the encoder; writing nothing gives an empty object.
  using Handler = std::function<void(const Date&, Encoder&)>;
};

struct DataEncodingCases {
  enum Builtin {
    // The buffer's own encoding: an array of byte values.
    deferredToData,
    base64,
  };
  using Handler = std::function<void(const Data&, Encoder&)>;
};

// Encodes any encodable value as JSON text. The settings are plain fields;
// they must not change while an encode call runs, and one encoder may
// encode on several threads at once.
class JSONEncoder {
 public:
  using OutputFormatting = JSONSerialization::WritingOptions;
  using DateEncodingStrategy = CodingStrategy<DateEncodingCases>;
  using DataEncodingStrategy = CodingStrategy<DataEncodingCases>;

  // Compact by default; prettyPrinted, sortedKeys and withoutEscapingSlashes
  // apply. Top-level scalars are always allowed.
  OutputFormatting outputFormatting;
  DateEncodingStrategy dateEncodingStrategy = DateEncodingStrategy::deferredToDate;
  DataEncodingStrategy dataEncodingStrategy = DataEncodingStrategy::base64;
  CodingUserInfo userInfo;

  // Throws EncodingError (NaN or infinite numbers, text that is not UTF-8,
  // a value that encodes nothing, a second value in one single-value
  // container) and whatever the value or a custom strategy throws.
  Data encode(EncodableRef value) const;
};

}  // namespace platform
