#pragma once

#include "Platform/Coding/JSONSerializationError.h"
#include "Platform/Coding/JSONValue.h"
#include "Platform/Coding/detail/OptionSet.h"
#include "Platform/Foundation/Data.h"

namespace platform {

// Options of JSONSerialization::data.
struct JSONWritingOptions : detail::OptionSet<JSONWritingOptions> {
  // One member or element per line, two spaces per level, "key" : value.
  static const JSONWritingOptions prettyPrinted;
  // Object keys in ascending code point order instead of insertion order.
  static const JSONWritingOptions sortedKeys;
  // A top-level value that is neither an array nor an object is accepted.
  static const JSONWritingOptions fragmentsAllowed;
  // "/" is written as is instead of as "\/".
  static const JSONWritingOptions withoutEscapingSlashes;
};

// Options of JSONSerialization::jsonObject.
struct JSONReadingOptions : detail::OptionSet<JSONReadingOptions> {
  // A top-level value that is neither an array nor an object is accepted.
  static const JSONReadingOptions fragmentsAllowed;
};

// Reads JSON text into a JSONValue tree and writes a tree back as text.
struct JSONSerialization {
  using WritingOptions = JSONWritingOptions;
  using ReadingOptions = JSONReadingOptions;

  // Whether `data(value)` can write the value: an array or an object at the
  // top (any value with fragmentsAllowed), no NaN or infinite number
  // anywhere, and every string and key well-formed UTF-8.
  static bool isValidJSONObject(const JSONValue& value, WritingOptions options = {});

  // Throws JSONSerializationError (unwritableValue) for a value that fails
  // isValidJSONObject with the same options.
  static Data data(const JSONValue& value, WritingOptions options = {});

  // Throws JSONSerializationError (unreadableText) for malformed text, for
  // nesting deeper than 512 levels, and for a top-level value that is
  // neither an array nor an object unless fragmentsAllowed. Integers beyond
  // the 64-bit range become doubles; object keys keep their order, and of a
  // key written twice the last value counts.
  static JSONValue jsonObject(const Data& data, ReadingOptions options = {});
};

inline constexpr JSONWritingOptions JSONWritingOptions::prettyPrinted = JSONWritingOptions::withRawValue(1);
inline constexpr JSONWritingOptions JSONWritingOptions::sortedKeys = JSONWritingOptions::withRawValue(2);
inline constexpr JSONWritingOptions JSONWritingOptions::fragmentsAllowed = JSONWritingOptions::withRawValue(4);
inline constexpr JSONWritingOptions JSONWritingOptions::withoutEscapingSlashes = JSONWritingOptions::withRawValue(8);
inline constexpr JSONReadingOptions JSONReadingOptions::fragmentsAllowed = JSONReadingOptions::withRawValue(1);

}  // namespace platform
