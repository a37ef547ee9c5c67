#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "Platform/Foundation/Error.h"

namespace platform {

// A file-system operation that failed: what was tried, on which item, and
// the system's reason (an errno value).
class FileError : public ErrorBase<FileError> {
 public:
  enum class Code {
    noSuchFile,
    fileExists,
    permissionDenied,
    notADirectory,
    isADirectory,
    directoryNotEmpty,
    outOfSpace,
    readOnlyFileSystem,
    other,
  };

  // `operation` is a verb phrase that reads after "Could not", such as
  // "remove" or "create the directory".
  FileError(std::string operation, std::filesystem::path path, int errorNumber);
  FileError(std::string operation, std::filesystem::path source, std::filesystem::path destination, int errorNumber);

  Code code() const;
  int errorNumber() const { return errorNumber_; }
  const std::string& operation() const { return operation_; }
  const std::filesystem::path& path() const { return path_; }
  const std::optional<std::filesystem::path>& destination() const { return destination_; }

  // For example: Could not move "/a" to "/b": File exists
  std::string description() const override;

 private:
  std::string operation_;
  std::filesystem::path path_;
  std::optional<std::filesystem::path> destination_;
  int errorNumber_;
};

}  // namespace platform
