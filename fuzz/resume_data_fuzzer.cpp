// Resume data a caller kept, possibly damaged or from elsewhere: what reads
// must encode to data that reads back the same.

#include "Platform/URLLoading/Engine/DownloadResumeData.h"
#include "fuzz/FuzzCheck.h"

using platform::DownloadResumeData;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto decoded = DownloadResumeData::decode(platform::Data(data, size));
  if (!decoded) return 0;
  fuzz::require(decoded->offset >= 0, "a negative offset was accepted");
  (void)decoded->request(), (void)decoded->rangeValidator();
  const auto again = DownloadResumeData::decode(decoded->encoded());
  fuzz::require(again.has_value(), "encoded resume data does not read back");
  fuzz::require(again->url == decoded->url && again->entityTag == decoded->entityTag &&
                    again->lastModified == decoded->lastModified && again->temporaryPath == decoded->temporaryPath &&
                    again->offset == decoded->offset,
                "resume data changed on its way through the encoder");
  return 0;
}
