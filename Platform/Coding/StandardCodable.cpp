#include "Platform/Coding/StandardCodable.h"

#include <fmt/format.h>

namespace platform {

namespace detail {

void throwNotAnIntegerKey(const CodingPath& path, const CodingKey& key, const std::string& type) {
  throw DecodingError::typeMismatch(
      type, {appending(path, key), fmt::format("Expected an integer key but found \"{}\" instead.", key.stringValue), {}});
}

}  // namespace detail

void CodingTraits<Date>::encode(const Date& date, Encoder& encoder) {
  encoder.singleValueContainer()->encode(date.timeIntervalSinceReferenceDate());
}

Date CodingTraits<Date>::decode(Decoder& decoder) {
  return Date::fromTimeIntervalSinceReferenceDate(decoder.singleValueContainer()->decode<double>());
}

void CodingTraits<Data>::encode(const Data& data, Encoder& encoder) {
  auto container = encoder.unkeyedContainer();
  for (const std::uint8_t byte : data) container->encode(byte);
}

Data CodingTraits<Data>::decode(Decoder& decoder) {
  auto container = decoder.unkeyedContainer();
  std::vector<std::uint8_t> bytes;
  if (const auto count = container->count()) bytes.reserve(static_cast<std::size_t>(*count));
  while (!container->isAtEnd()) bytes.push_back(container->decode<std::uint8_t>());
  return Data(std::move(bytes));
}

void CodingTraits<URL>::encode(const URL& url, Encoder& encoder) {
  encoder.singleValueContainer()->encode(url.absoluteString());
}

URL CodingTraits<URL>::decode(Decoder& decoder) {
  auto container = decoder.singleValueContainer();
  const auto text = container->decode<std::string>();
  auto url = URL::string(text);
  if (!url) throw DecodingError::dataCorrupted({decoder.codingPath(), fmt::format("Invalid URL string: {}", text), {}});
  return std::move(*url);
}

}  // namespace platform
