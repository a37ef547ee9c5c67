#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wendalore {

// A file a multipart send carried, as it went out.
struct SentFilePart {
  std::string name;
  std::string fileName;
  std::string mimeType;
  // Where the bytes were read from.
  std::string path;
  std::uint64_t size = 0;

  friend bool operator==(const SentFilePart&, const SentFilePart&) = default;
};

// The multipart form a send carried in place of a body text.
struct SentForm {
  std::string boundary;
  std::vector<SentFilePart> files;

  friend bool operator==(const SentForm&, const SentForm&) = default;
};

}  // namespace wendalore
