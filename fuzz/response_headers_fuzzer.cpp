// Feeds a header block, line by line as the transfer library hands it over,
// to the response header reader.

#include "Platform/URLLoading/Engine/ResponseHeaderParser.h"
#include "fuzz/FuzzCheck.h"

using platform::ResponseHeaderParser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto input = fuzz::text(data, size);
  ResponseHeaderParser parser;
  std::size_t fed = 0;
  for (std::size_t start = 0; start < input.size();) {
    const auto end = input.find('\n', start);
    const auto line = input.substr(start, end == std::string_view::npos ? std::string_view::npos : end + 1 - start);
    start += line.size();
    fed += line.size();
    const auto outcome = parser.feed(line);
    if (outcome == ResponseHeaderParser::Outcome::complete) {
      fuzz::require(parser.statusCode() >= 100 && parser.statusCode() <= 999, "a status code out of range");
      for (const auto& [name, value] : parser.fields()) {
        // A line break kept in a field would let it speak for another field.
        fuzz::require(name.find_first_of("\r\n:") == std::string::npos, "a field name holds a line break or colon");
        fuzz::require(value.find_first_of("\r\n") == std::string::npos, "a field value holds a line break");
      }
      break;
    }
    if (outcome != ResponseHeaderParser::Outcome::needMore) break;
  }
  fuzz::require(fed <= input.size(), "more fed than given");
  return 0;
}
