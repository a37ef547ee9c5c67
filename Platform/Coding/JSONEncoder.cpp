#include "Platform/Coding/JSONEncoder.h"

#include "Platform/Coding/detail/JSONTreeEncoder.h"

namespace platform {

Data JSONEncoder::encode(EncodableRef value) const {
  const JSONValue tree = detail::encodeJSONTree(*this, value);
  // The tree holds no value the writer refuses: the containers checked each one.
  return JSONSerialization::data(tree, outputFormatting | OutputFormatting::fragmentsAllowed);
}

}  // namespace platform
