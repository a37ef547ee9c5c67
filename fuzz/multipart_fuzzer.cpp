// Form parts a person typed, one "name\tfile name\tMIME type" a line (a
// missing file name or type left out), encoded as a multipart body: every
// part's header block must hold exactly the headers it was given.

#include <optional>
#include <string>

#include "Platform/Files/FileManager.h"
#include "Wendanet/Source/Support/MultipartFormData.h"
#include "fuzz/FuzzCheck.h"

using wendanet::MultipartFormData;

namespace {

std::optional<std::string> field(const std::vector<std::string_view>& fields, std::size_t index) {
  if (index >= fields.size()) return std::nullopt;
  return std::string(fields[index]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A boundary no input can hold: the input never has a NUL in a part's text
  // after this filter.
  const auto input = fuzz::text(data, size);
  if (input.find('\0') != std::string_view::npos) return 0;
  const std::string boundary(1, '\0');
  const auto form = MultipartFormData::make(platform::FileManager::defaultManager(), boundary);
  std::size_t parts = 0;
  for (const auto line : fuzz::pieces(input, '\n')) {
    const auto fields = fuzz::pieces(line, '\t');
    form->append(platform::Data("body"), fields[0], field(fields, 1), field(fields, 2));
    ++parts;
  }
  const auto body = form->encode().toString();
  // Each part: "--<boundary>\r\n", its header lines, an empty line, "body".
  const std::string opening = "--" + boundary + "\r\n";
  std::size_t found = 0;
  for (auto start = body.find(opening); start != std::string::npos; start = body.find(opening, start + 1)) {
    const auto headersStart = start + opening.size();
    const auto headersEnd = body.find("\r\n\r\nbody", headersStart);
    fuzz::require(headersEnd != std::string::npos, "a part without its empty line and body");
    std::string_view headers(body.data() + headersStart, headersEnd - headersStart);
    for (std::size_t lineStart = 0;;) {
      const auto lineEnd = headers.find("\r\n", lineStart);
      const auto line = headers.substr(lineStart, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - lineStart);
      fuzz::require(line.starts_with("Content-Disposition: form-data; name=\"") || line.starts_with("Content-Type: "),
                    "a header line the part was not given");
      fuzz::require(line.find_first_of("\r\n") == std::string_view::npos, "a bare line break inside a header");
      if (lineEnd == std::string_view::npos) break;
      lineStart = lineEnd + 2;
    }
    ++found;
  }
  fuzz::require(found == parts, "another number of parts than appended");
  return 0;
}
