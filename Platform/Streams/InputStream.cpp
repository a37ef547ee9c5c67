#include "Platform/Streams/InputStream.h"

#include "Platform/Streams/DataInputStream.h"
#include "Platform/Streams/FileInputStream.h"

namespace platform {

std::shared_ptr<InputStream> InputStream::fromData(Data data) {
  return std::make_shared<DataInputStream>(std::move(data));
}

std::shared_ptr<InputStream> InputStream::fromFile(std::filesystem::path path) {
  return std::make_shared<FileInputStream>(std::move(path));
}

std::ptrdiff_t InputStream::read(std::uint8_t* buffer, std::size_t maxLength) {
  if (auto refused = refuseTransfer()) return *refused;
  if (maxLength == 0) return 0;
  return completeTransfer(readBytes(buffer, maxLength), true);
}

bool InputStream::hasBytesAvailable() const {
  switch (streamStatus()) {
    case StreamStatus::open:
      return mayHaveMoreBytes();
    case StreamStatus::error:
      return true;
    case StreamStatus::notOpen:
    case StreamStatus::atEnd:
    case StreamStatus::closed:
      return false;
  }
  return false;
}

}  // namespace platform
