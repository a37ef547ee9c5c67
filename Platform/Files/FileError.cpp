#include "Platform/Files/FileError.h"

#include <fmt/format.h>

#include <cerrno>
#include <cstring>

namespace platform {

FileError::FileError(std::string operation, std::filesystem::path path, int errorNumber)
    : operation_(std::move(operation)), path_(std::move(path)), errorNumber_(errorNumber) {}

FileError::FileError(std::string operation, std::filesystem::path source, std::filesystem::path destination,
                     int errorNumber)
    : operation_(std::move(operation)),
      path_(std::move(source)),
      destination_(std::move(destination)),
      errorNumber_(errorNumber) {}

FileError::Code FileError::code() const {
  switch (errorNumber_) {
    case ENOENT:
      return Code::noSuchFile;
    case EEXIST:
      return Code::fileExists;
    case EACCES:
    case EPERM:
      return Code::permissionDenied;
    case ENOTDIR:
      return Code::notADirectory;
    case EISDIR:
      return Code::isADirectory;
    case ENOTEMPTY:
      return Code::directoryNotEmpty;
    case ENOSPC:
    case EDQUOT:
      return Code::outOfSpace;
    case EROFS:
      return Code::readOnlyFileSystem;
    default:
      return Code::other;
  }
}

std::string FileError::description() const {
  char buffer[256];
  const char* reason = strerror_r(errorNumber_, buffer, sizeof buffer);
  if (destination_) {
    return fmt::format("Could not {} \"{}\" to \"{}\": {}", operation_, path_.string(), destination_->string(), reason);
  }
  return fmt::format("Could not {} \"{}\": {}", operation_, path_.string(), reason);
}

}  // namespace platform
