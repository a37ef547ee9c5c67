#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"

namespace platform {

// Where an interrupted download stands, as the bytes a caller keeps to go
// on with it later: the resource, the validators that tell whether it is
// still the same, and the partial file with how much of it is there.
//
// The bytes are a small JSON object marked with this system's format name
// and a version. Reading checks every field, so data from elsewhere or
// damaged on the way fails with a ResumeDataError instead of steering a
// download somewhere it should not go.
struct DownloadResumeData {
  static constexpr std::string_view formatName = "org.wendalore.download-resume-data";
  static constexpr std::int64_t formatVersion = 1;

  URL url;
  std::optional<std::string> entityTag;
  std::optional<std::string> lastModified;
  std::filesystem::path temporaryPath;
  std::int64_t offset = 0;

  // What If-Range can carry: a strong entity tag, else the modification
  // date; none when the resource gave neither.
  std::optional<std::string> rangeValidator() const;
  // The GET for the rest of the resource; a server whose resource changed
  // sends it whole instead. The rest is asked for unencoded, since ranges
  // count the bytes as sent and the file holds them decoded.
  URLRequest request() const;

  Data encoded() const;
  static std::expected<DownloadResumeData, AnyError> decode(const Data& data);
};

}  // namespace platform
