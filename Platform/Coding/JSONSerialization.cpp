#include "Platform/Coding/JSONSerialization.h"

#include "Platform/Coding/detail/JSONReader.h"
#include "Platform/Coding/detail/JSONWriter.h"

namespace platform {

bool JSONSerialization::isValidJSONObject(const JSONValue& value, WritingOptions options) {
  return !detail::JSONWriter(options).problem(value);
}

Data JSONSerialization::data(const JSONValue& value, WritingOptions options) {
  detail::JSONWriter writer(options);
  const auto text = writer.writeIfValid(value);
  // The tree is walked again only to say what is wrong with it.
  if (!text) throw JSONSerializationError(JSONSerializationError::Kind::unwritableValue, *writer.problem(value));
  return Data(text->data(), text->size());
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
