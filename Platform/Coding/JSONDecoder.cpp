#include "Platform/Coding/JSONDecoder.h"

#include "Platform/Coding/detail/JSONTreeDecoder.h"

namespace platform {

void JSONDecoder::decode(const DecodableTarget& target, const Data& data) const {
  JSONValue root;
  try {
    root = JSONSerialization::jsonObject(data, JSONSerialization::ReadingOptions::fragmentsAllowed);
  } catch (const JSONSerializationError& error) {
    throw DecodingError::dataCorrupted({{}, "The given data was not valid JSON.", error.clone()});
  }
  detail::decodeJSONTree(*this, root, target);
}

}  // namespace platform
