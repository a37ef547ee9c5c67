#include "Platform/Coding/detail/JSONTreeDecoder.h"

#include <fmt/format.h>

#include <cmath>

#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/ISO8601DateFormatter.h"

namespace platform::detail {

namespace {

// The containers point into the tree, which outlives the decode call they
// serve.

[[noreturn]] void throwMismatch(const std::string& type, CodingPath path, const JSONValue& found) {
  const auto description = fmt::format("Expected to decode {} but found {} instead.", type, found.kindDescription());
  throw DecodingError::typeMismatch(type, {std::move(path), description, {}});
}

[[noreturn]] void throwCorrupted(CodingPath path, std::string debugDescription) {
  throw DecodingError::dataCorrupted({std::move(path), std::move(debugDescription), {}});
}

// Refuses null and values of another kind than `T`.
template <class T, class PathOfValue>
const T& expect(const JSONValue& value, const std::string& type, const PathOfValue& pathOfValue) {
  if (const auto* content = value.as<T>()) return *content;
  if (value.isNull()) {
    throw DecodingError::valueNotFound(type, {pathOfValue(), fmt::format("Expected {} value but found null instead.", type), {}});
  }
  throwMismatch(type, pathOfValue(), value);
}

template <class PathOfValue>
bool read(std::type_identity<bool>, const JSONValue& value, const PathOfValue& pathOfValue) {
  return expect<bool>(value, "bool", pathOfValue);
}

template <class PathOfValue>
std::string read(std::type_identity<std::string>, const JSONValue& value, const PathOfValue& pathOfValue) {
  return expect<std::string>(value, "string", pathOfValue);
}

template <class PathOfValue>
double read(std::type_identity<double>, const JSONValue& value, const PathOfValue& pathOfValue) {
  if (const auto* integer = value.as<std::int64_t>()) return static_cast<double>(*integer);
  if (const auto* integer = value.as<std::uint64_t>()) return static_cast<double>(*integer);
  return expect<double>(value, "double", pathOfValue);
}

// An integer, or a double with an integral value in range (1e3 reads as 1000).
template <class Integer, class PathOfValue>
Integer read(std::type_identity<Integer>, const JSONValue& value, const PathOfValue& pathOfValue) {
  const auto type = codingTypeName<Integer>();
  if (const auto* integer = value.as<std::int64_t>()) {
    if (std::in_range<Integer>(*integer)) return static_cast<Integer>(*integer);
    throwNumberDoesNotFit(pathOfValue(), *integer, type);
  }
  if (const auto* integer = value.as<std::uint64_t>()) {
    if (std::in_range<Integer>(*integer)) return static_cast<Integer>(*integer);
    throwNumberDoesNotFit(pathOfValue(), *integer, type);
  }
  const double number = expect<double>(value, type, pathOfValue);
  // Both bounds are powers of two, so they are exact as doubles.
  const double lowest = static_cast<double>(std::numeric_limits<Integer>::min());
  const double end = std::is_signed_v<Integer> ? 0x1p63 : 0x1p64;
  if (number != std::trunc(number) || number < lowest || number >= end) throwNumberDoesNotFit(pathOfValue(), number, type);
  return static_cast<Integer>(number);
}

void decodeInto(const JSONDecoder& settings, const CodingPath& path, const JSONValue& value, const DecodableTarget& target);

class TreeDecoder final : public Decoder {
 public:
  TreeDecoder(const JSONDecoder& settings, CodingPath path, const JSONValue& value)
      : settings_(settings), path_(std::move(path)), value_(value) {}

  const CodingPath& codingPath() const override { return path_; }
  const CodingUserInfo& userInfo() const override { return settings_.userInfo; }
  std::shared_ptr<KeyedDecodingContainer> container() override;
  std::shared_ptr<UnkeyedDecodingContainer> unkeyedContainer() override;
  std::shared_ptr<SingleValueDecodingContainer> singleValueContainer() override;

 private:
  const JSONDecoder& settings_;
  CodingPath path_;
  const JSONValue& value_;
};

class KeyedContainer final : public KeyedDecodingContainer {
 public:
  KeyedContainer(const JSONDecoder& settings, CodingPath path, const JSONValue& value)
      : settings_(settings), path_(std::move(path)), object_(expect<JSONObject>(value, "object", [&] { return path_; })) {}

  const CodingPath& codingPath() const override { return path_; }
  std::vector<CodingKey> allKeys() const override {
    std::vector<CodingKey> keys;
    keys.reserve(object_.size());
    for (const auto& entry : object_) keys.emplace_back(entry.first);
    return keys;
  }
  bool contains(const CodingKey& key) const override { return object_.contains(key.stringValue); }
  bool decodeNil(const CodingKey& key) override { return value(key).isNull(); }
  bool decode(std::type_identity<bool> type, const CodingKey& key) override { return readAt(type, key); }
  std::string decode(std::type_identity<std::string> type, const CodingKey& key) override { return readAt(type, key); }
  double decode(std::type_identity<double> type, const CodingKey& key) override { return readAt(type, key); }
  std::int64_t decode(std::type_identity<std::int64_t> type, const CodingKey& key) override { return readAt(type, key); }
  std::uint64_t decode(std::type_identity<std::uint64_t> type, const CodingKey& key) override { return readAt(type, key); }
  void decode(const DecodableTarget& target, const CodingKey& key) override {
    decodeInto(settings_, appending(path_, key), value(key), target);
  }
  std::shared_ptr<KeyedDecodingContainer> nestedContainer(const CodingKey& key) override {
    return std::make_shared<KeyedContainer>(settings_, appending(path_, key), value(key));
  }
  std::shared_ptr<UnkeyedDecodingContainer> nestedUnkeyedContainer(const CodingKey& key) override;
  std::shared_ptr<Decoder> superDecoder() override { return superDecoder(CodingKey::superKey()); }
  // A missing key gives a decoder over null.
  std::shared_ptr<Decoder> superDecoder(const CodingKey& key) override {
    static const JSONValue null;
    const JSONValue* found = object_.find(key.stringValue);
    return std::make_shared<TreeDecoder>(settings_, appending(path_, key), found ? *found : null);
  }

 private:
  const JSONValue& value(const CodingKey& key) const {
    if (const JSONValue* found = object_.find(key.stringValue)) return *found;
    throw DecodingError::keyNotFound(key, {path_, fmt::format("No value associated with key \"{}\".", key.stringValue), {}});
  }

  template <class T>
  T readAt(std::type_identity<T> type, const CodingKey& key) const {
    return read(type, value(key), [&] { return appending(path_, key); });
  }

  const JSONDecoder& settings_;
  CodingPath path_;
  const JSONObject& object_;
};

class UnkeyedContainer final : public UnkeyedDecodingContainer {
 public:
  UnkeyedContainer(const JSONDecoder& settings, CodingPath path, const JSONValue& value)
      : settings_(settings), path_(std::move(path)), array_(expect<JSONArray>(value, "array", [&] { return path_; })) {}

  const CodingPath& codingPath() const override { return path_; }
  std::optional<std::int64_t> count() const override { return static_cast<std::int64_t>(array_.size()); }
  bool isAtEnd() const override { return index_ >= array_.size(); }
  std::int64_t currentIndex() const override { return static_cast<std::int64_t>(index_); }
  bool decodeNil() override {
    if (!current("null").isNull()) return false;
    ++index_;
    return true;
  }
  bool decode(std::type_identity<bool> type) override { return readNext(type, "bool"); }
  std::string decode(std::type_identity<std::string> type) override { return readNext(type, "string"); }
  double decode(std::type_identity<double> type) override { return readNext(type, "double"); }
  std::int64_t decode(std::type_identity<std::int64_t> type) override { return readNext(type, "int64_t"); }
  std::uint64_t decode(std::type_identity<std::uint64_t> type) override { return readNext(type, "uint64_t"); }
  void decode(const DecodableTarget& target) override {
    decodeInto(settings_, currentPath(), current("value"), target);
    ++index_;
  }
  std::shared_ptr<KeyedDecodingContainer> nestedContainer() override {
    auto nested = std::make_shared<KeyedContainer>(settings_, currentPath(), current("object"));
    ++index_;
    return nested;
  }
  std::shared_ptr<UnkeyedDecodingContainer> nestedUnkeyedContainer() override {
    auto nested = std::make_shared<UnkeyedContainer>(settings_, currentPath(), current("array"));
    ++index_;
    return nested;
  }
  std::shared_ptr<Decoder> superDecoder() override {
    auto decoder = std::make_shared<TreeDecoder>(settings_, currentPath(), current("value"));
    ++index_;
    return decoder;
  }

 private:
  CodingPath currentPath() const { return appending(path_, CodingKey::index(currentIndex())); }

  // The value at the current position; `type` names what was asked for.
  const JSONValue& current(const std::string& type) const {
    if (isAtEnd()) throw DecodingError::valueNotFound(type, {currentPath(), "Unkeyed container is at end.", {}});
    return array_[index_];
  }

  template <class T>
  T readNext(std::type_identity<T> type, const std::string& typeName) {
    T value = read(type, current(typeName), [&] { return currentPath(); });
    ++index_;
    return value;
  }

  const JSONDecoder& settings_;
  CodingPath path_;
  const JSONArray& array_;
  std::size_t index_ = 0;
};

std::shared_ptr<UnkeyedDecodingContainer> KeyedContainer::nestedUnkeyedContainer(const CodingKey& key) {
  return std::make_shared<UnkeyedContainer>(settings_, appending(path_, key), value(key));
}

class SingleValueContainer final : public SingleValueDecodingContainer {
 public:
  SingleValueContainer(const JSONDecoder& settings, CodingPath path, const JSONValue& value)
      : settings_(settings), path_(std::move(path)), value_(value) {}

  const CodingPath& codingPath() const override { return path_; }
  bool decodeNil() override { return value_.isNull(); }
  bool decode(std::type_identity<bool> type) override { return readValue(type); }
  std::string decode(std::type_identity<std::string> type) override { return readValue(type); }
  double decode(std::type_identity<double> type) override { return readValue(type); }
  std::int64_t decode(std::type_identity<std::int64_t> type) override { return readValue(type); }
  std::uint64_t decode(std::type_identity<std::uint64_t> type) override { return readValue(type); }
  void decode(const DecodableTarget& target) override { decodeInto(settings_, path_, value_, target); }

 private:
  template <class T>
  T readValue(std::type_identity<T> type) const {
    return read(type, value_, [&] { return path_; });
  }

  const JSONDecoder& settings_;
  CodingPath path_;
  const JSONValue& value_;
};

std::shared_ptr<KeyedDecodingContainer> TreeDecoder::container() {
  return std::make_shared<KeyedContainer>(settings_, path_, value_);
}

std::shared_ptr<UnkeyedDecodingContainer> TreeDecoder::unkeyedContainer() {
  return std::make_shared<UnkeyedContainer>(settings_, path_, value_);
}

std::shared_ptr<SingleValueDecodingContainer> TreeDecoder::singleValueContainer() {
  return std::make_shared<SingleValueContainer>(settings_, path_, value_);
}

void decodeDate(const JSONDecoder& settings, const CodingPath& path, const JSONValue& value, const DecodableTarget& target) {
  const auto& strategy = settings.dateDecodingStrategy;
  TreeDecoder decoder(settings, path, value);
  if (const auto* handler = strategy.handler()) return target.assign((*handler)(decoder));
  const auto pathOfValue = [&] { return path; };
  switch (*strategy.builtin()) {
    case DateDecodingCases::deferredToDate:
      return target.decode(decoder);
    case DateDecodingCases::secondsSince1970:
      return target.assign(Date{read(std::type_identity<double>{}, value, pathOfValue)});
    case DateDecodingCases::millisecondsSince1970:
      return target.assign(Date{read(std::type_identity<double>{}, value, pathOfValue) / 1000.0});
    case DateDecodingCases::iso8601:
      const auto date = ISO8601DateFormatter().dateFromString(read(std::type_identity<std::string>{}, value, pathOfValue));
      if (!date) throwCorrupted(path, "Expected date string to be ISO8601-formatted.");
      return target.assign(*date);
  }
}

void decodeData(const JSONDecoder& settings, const CodingPath& path, const JSONValue& value, const DecodableTarget& target) {
  const auto& strategy = settings.dataDecodingStrategy;
  TreeDecoder decoder(settings, path, value);
  if (const auto* handler = strategy.handler()) return target.assign((*handler)(decoder));
  switch (*strategy.builtin()) {
    case DataDecodingCases::deferredToData:
      return target.decode(decoder);
    case DataDecodingCases::base64:
      auto data = base64Decode(read(std::type_identity<std::string>{}, value, [&] { return path; }));
      if (!data) throwCorrupted(path, "Encountered Data is not valid Base64.");
      return target.assign(std::move(*data));
  }
}

void decodeInto(const JSONDecoder& settings, const CodingPath& path, const JSONValue& value, const DecodableTarget& target) {
  if (target.holds<Date>()) return decodeDate(settings, path, value, target);
  if (target.holds<Data>()) return decodeData(settings, path, value, target);
  TreeDecoder decoder(settings, path, value);
  target.decode(decoder);
}

}  // namespace

void decodeJSONTree(const JSONDecoder& settings, const JSONValue& root, const DecodableTarget& target) {
  decodeInto(settings, {}, root, target);
}

}  // namespace platform::detail
