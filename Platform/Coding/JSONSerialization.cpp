#include "Platform/Coding/JSONSerialization.h"

#include "Platform/Coding/detail/JSONReader.h"
#include "Platform/Coding/detail/JSONWriter.h"

namespace platform {

bool JSONSerialization::isValidJSONObject(const JSONValue& value, WritingOptions options) {
  return !detail::JSONWriter(options).problem(value);
}

Data JSONSerialization::data(const JSONValue& value, WritingOptions options) {
  detail::JSONWriter writer(options);
  if (auto problem = writer.problem(value)) {
    throw JSONSerializationError(JSONSerializationError::Kind::unwritableValue, std::move(*problem));
  }
  const std::string text = writer.write(value);
  return Data(text.data(), text.size());
}

JSONValue JSONSerialization::jsonObject(const Data& data, ReadingOptions options) {
  JSONValue value = detail::readJSON(data.view());
  if (!value.isContainer() && !options.contains(ReadingOptions::fragmentsAllowed)) {
    throw JSONSerializationError(JSONSerializationError::Kind::unreadableText,
                                 "the top-level value is not an array or an object, and fragments are not allowed", 0);
  }
  return value;
}

}  // namespace platform
