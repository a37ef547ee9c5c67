#include "Wendanet/Source/Support/DataStreamSerializer.h"

#include "Platform/Foundation/UTF8.h"

namespace wendanet {

std::string StringStreamSerializer::serialize(const platform::Data& chunk) const {
  return platform::decodeUTF8Repairing(chunk.view());
}

}  // namespace wendanet
