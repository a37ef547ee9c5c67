#include "Platform/Coding/Decoder.h"

#include <fmt/format.h>

namespace platform::detail {

namespace {

[[noreturn]] void throwDoesNotFit(CodingPath path, const std::string& number, const std::string& type) {
  throw DecodingError::dataCorrupted({std::move(path), fmt::format("Number {} does not fit in {}.", number, type), {}});
}

}  // namespace

void throwNumberDoesNotFit(CodingPath path, double number, const std::string& type) {
  throwDoesNotFit(std::move(path), fmt::format("{}", number), type);
}

void throwNumberDoesNotFit(CodingPath path, std::int64_t number, const std::string& type) {
  throwDoesNotFit(std::move(path), std::to_string(number), type);
}

void throwNumberDoesNotFit(CodingPath path, std::uint64_t number, const std::string& type) {
  throwDoesNotFit(std::move(path), std::to_string(number), type);
}

}  // namespace platform::detail
