#include "Platform/Coding/detail/JSONTreeEncoder.h"

#include <fmt/format.h>

#include <cmath>
#include <memory>
#include <variant>

#include "Platform/Coding/detail/NumberText.h"
#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/ISO8601DateFormatter.h"
#include "Platform/Foundation/UTF8.h"

namespace platform::detail {

namespace {

// A value under construction. Containers and nested encoders keep writing
// into the nodes they were handed, so nodes are shared; a node starts unset
// and takes a kind once.
struct Node;
using NodePtr = std::shared_ptr<Node>;
using NodeArray = std::vector<NodePtr>;
using NodeObject = OrderedDictionary<NodePtr>;

struct Node {
  std::variant<std::monostate, JSONValue, NodeArray, NodeObject> content;

  bool isUnset() const { return std::holds_alternative<std::monostate>(content); }

  // A value that encoded nothing stands as an empty object.
  JSONValue finish() const {
    if (const auto* leaf = std::get_if<JSONValue>(&content)) return *leaf;
    if (const auto* array = std::get_if<NodeArray>(&content)) {
      JSONArray values;
      values.reserve(array->size());
      for (const auto& element : *array) values.push_back(element->finish());
      return values;
    }
    JSONObject values;
    if (const auto* object = std::get_if<NodeObject>(&content)) {
      for (const auto& [key, member] : *object) values.set(key, member->finish());
    }
    return values;
  }
};

NodePtr makeNode(JSONValue value) { return std::make_shared<Node>(Node{std::move(value)}); }

[[noreturn]] void throwInvalidValue(std::string value, CodingPath path, std::string debugDescription) {
  throw EncodingError::invalidValue(std::move(value), {std::move(path), std::move(debugDescription), {}});
}

// The leaf for each primitive; `pathOfValue` is only called for an error.
template <class PathOfValue>
JSONValue leaf(double value, const PathOfValue& pathOfValue) {
  if (!std::isfinite(value)) {
    const auto text = fmt::format("{}", value);
    throwInvalidValue(text, pathOfValue(), fmt::format("Unable to encode {} directly in JSON.", text));
  }
  return value;
}
template <class PathOfValue>
JSONValue leaf(float value, const PathOfValue& pathOfValue) {
  return leaf(doubleFromFloat(value), pathOfValue);
}
template <class PathOfValue>
JSONValue leaf(const std::string& value, const PathOfValue& pathOfValue) {
  if (!isValidUTF8(value)) throwInvalidValue("string", pathOfValue(), "The string is not valid UTF-8.");
  return value;
}
template <class Value, class PathOfValue>
JSONValue leaf(Value value, const PathOfValue&) {
  return value;
}

[[noreturn]] void throwContainerClash(const CodingPath& path, std::string_view wanted) {
  throwInvalidValue(std::string(wanted), path,
                    fmt::format("Attempt to write {} where a value of another kind was already encoded.", wanted));
}

void encodeInto(const JSONEncoder& settings, const CodingPath& path, const NodePtr& node, EncodableRef value);

class TreeEncoder final : public Encoder {
 public:
  TreeEncoder(const JSONEncoder& settings, CodingPath path, NodePtr node)
      : settings_(settings), path_(std::move(path)), node_(std::move(node)) {}

  const CodingPath& codingPath() const override { return path_; }
  const CodingUserInfo& userInfo() const override { return settings_.userInfo; }
  std::shared_ptr<KeyedEncodingContainer> container() override;
  std::shared_ptr<UnkeyedEncodingContainer> unkeyedContainer() override;
  std::shared_ptr<SingleValueEncodingContainer> singleValueContainer() override;

 private:
  const JSONEncoder& settings_;
  CodingPath path_;
  NodePtr node_;
};

// Gives `node` the kind `Kind`, keeping it if it has that kind already.
template <class Kind>
Kind& adopt(Node& node, const CodingPath& path, std::string_view wanted) {
  if (node.isUnset()) node.content = Kind();
  auto* kind = std::get_if<Kind>(&node.content);
  if (!kind) throwContainerClash(path, wanted);
  return *kind;
}

class KeyedContainer final : public KeyedEncodingContainer {
 public:
  KeyedContainer(const JSONEncoder& settings, CodingPath path, NodePtr node)
      : settings_(settings), path_(std::move(path)), node_(std::move(node)) {
    adopt<NodeObject>(*node_, path_, "an object");
  }

  const CodingPath& codingPath() const override { return path_; }
  void encodeNil(const CodingKey& key) override { store(key, nullptr); }
  void encode(bool value, const CodingKey& key) override { store(key, value); }
  void encode(const std::string& value, const CodingKey& key) override { store(key, value); }
  void encode(double value, const CodingKey& key) override { store(key, value); }
  void encode(float value, const CodingKey& key) override { store(key, value); }
  void encode(std::int64_t value, const CodingKey& key) override { store(key, value); }
  void encode(std::uint64_t value, const CodingKey& key) override { store(key, value); }
  void encode(EncodableRef value, const CodingKey& key) override {
    encodeInto(settings_, appending(path_, key), child(key), value);
  }
  std::shared_ptr<KeyedEncodingContainer> nestedContainer(const CodingKey& key) override {
    return std::make_shared<KeyedContainer>(settings_, appending(path_, key), child<NodeObject>(key));
  }
  std::shared_ptr<UnkeyedEncodingContainer> nestedUnkeyedContainer(const CodingKey& key) override;
  std::shared_ptr<Encoder> superEncoder() override { return superEncoder(CodingKey::superKey()); }
  std::shared_ptr<Encoder> superEncoder(const CodingKey& key) override {
    return std::make_shared<TreeEncoder>(settings_, appending(path_, key), child(key));
  }

 private:
  NodeObject& object() { return std::get<NodeObject>(node_->content); }

  const std::string& keyText(const CodingKey& key) const {
    if (!isValidUTF8(key.stringValue)) throwInvalidValue("key", appending(path_, key), "The key is not valid UTF-8.");
    return key.stringValue;
  }

  template <class Value>
  void store(const CodingKey& key, const Value& value) {
    object().set(keyText(key), makeNode(leaf(value, [&] { return appending(path_, key); })));
  }

  // A fresh node at `key`, or for a container kind the node of that kind
  // already there, so that nested containers asked for twice add up.
  template <class Kind = std::monostate>
  NodePtr child(const CodingKey& key) {
    if constexpr (!std::is_same_v<Kind, std::monostate>) {
      if (NodePtr* existing = object().find(key.stringValue); existing && std::holds_alternative<Kind>((*existing)->content)) {
        return *existing;
      }
    }
    return object().set(keyText(key), std::make_shared<Node>(Node{Kind()}));
  }

  const JSONEncoder& settings_;
  CodingPath path_;
  NodePtr node_;
};

class UnkeyedContainer final : public UnkeyedEncodingContainer {
 public:
  UnkeyedContainer(const JSONEncoder& settings, CodingPath path, NodePtr node)
      : settings_(settings), path_(std::move(path)), node_(std::move(node)) {
    adopt<NodeArray>(*node_, path_, "an array");
  }

  const CodingPath& codingPath() const override { return path_; }
  std::int64_t count() const override { return static_cast<std::int64_t>(array().size()); }
  void encodeNil() override { store(nullptr); }
  void encode(bool value) override { store(value); }
  void encode(const std::string& value) override { store(value); }
  void encode(double value) override { store(value); }
  void encode(float value) override { store(value); }
  void encode(std::int64_t value) override { store(value); }
  void encode(std::uint64_t value) override { store(value); }
  void encode(EncodableRef value) override {
    const CodingPath path = nextPath();
    encodeInto(settings_, path, append<std::monostate>(), value);
  }
  std::shared_ptr<KeyedEncodingContainer> nestedContainer() override {
    const CodingPath path = nextPath();
    return std::make_shared<KeyedContainer>(settings_, path, append<NodeObject>());
  }
  std::shared_ptr<UnkeyedEncodingContainer> nestedUnkeyedContainer() override {
    const CodingPath path = nextPath();
    return std::make_shared<UnkeyedContainer>(settings_, path, append<NodeArray>());
  }
  std::shared_ptr<Encoder> superEncoder() override {
    const CodingPath path = nextPath();
    return std::make_shared<TreeEncoder>(settings_, path, append<std::monostate>());
  }

 private:
  NodeArray& array() const { return std::get<NodeArray>(node_->content); }
  CodingPath nextPath() const { return appending(path_, CodingKey::index(count())); }

  template <class Value>
  void store(const Value& value) {
    array().push_back(makeNode(leaf(value, [&] { return nextPath(); })));
  }

  template <class Kind>
  NodePtr append() {
    return array().emplace_back(std::make_shared<Node>(Node{Kind()}));
  }

  const JSONEncoder& settings_;
  CodingPath path_;
  NodePtr node_;
};

std::shared_ptr<UnkeyedEncodingContainer> KeyedContainer::nestedUnkeyedContainer(const CodingKey& key) {
  return std::make_shared<UnkeyedContainer>(settings_, appending(path_, key), child<NodeArray>(key));
}

// Writes into the encoder's own node, which must still be unset.
class SingleValueContainer final : public SingleValueEncodingContainer {
 public:
  SingleValueContainer(const JSONEncoder& settings, CodingPath path, NodePtr node)
      : settings_(settings), path_(std::move(path)), node_(std::move(node)) {}

  const CodingPath& codingPath() const override { return path_; }
  void encodeNil() override { store(nullptr); }
  void encode(bool value) override { store(value); }
  void encode(const std::string& value) override { store(value); }
  void encode(double value) override { store(value); }
  void encode(float value) override { store(value); }
  void encode(std::int64_t value) override { store(value); }
  void encode(std::uint64_t value) override { store(value); }
  void encode(EncodableRef value) override {
    requireUnset();
    encodeInto(settings_, path_, node_, value);
  }

 private:
  void requireUnset() const {
    if (!node_->isUnset()) {
      throwInvalidValue("value", path_,
                        "Attempt to encode value through single value container when previously value already encoded.");
    }
  }

  template <class Value>
  void store(const Value& value) {
    requireUnset();
    node_->content = leaf(value, [&] { return path_; });
  }

  const JSONEncoder& settings_;
  CodingPath path_;
  NodePtr node_;
};

std::shared_ptr<KeyedEncodingContainer> TreeEncoder::container() {
  return std::make_shared<KeyedContainer>(settings_, path_, node_);
}

std::shared_ptr<UnkeyedEncodingContainer> TreeEncoder::unkeyedContainer() {
  return std::make_shared<UnkeyedContainer>(settings_, path_, node_);
}

std::shared_ptr<SingleValueEncodingContainer> TreeEncoder::singleValueContainer() {
  return std::make_shared<SingleValueContainer>(settings_, path_, node_);
}

void encodeDate(const JSONEncoder& settings, const CodingPath& path, const NodePtr& node, const Date& date,
                EncodableRef value) {
  const auto& strategy = settings.dateEncodingStrategy;
  TreeEncoder encoder(settings, path, node);
  if (const auto* handler = strategy.handler()) return (*handler)(date, encoder);
  switch (*strategy.builtin()) {
    case DateEncodingCases::deferredToDate:
      return value.encode(encoder);
    case DateEncodingCases::secondsSince1970:
      return encoder.singleValueContainer()->encode(date.timeIntervalSince1970);
    case DateEncodingCases::millisecondsSince1970:
      return encoder.singleValueContainer()->encode(date.timeIntervalSince1970 * 1000.0);
    case DateEncodingCases::iso8601:
      if (!ISO8601DateFormatter::canRepresent(date)) {
        throwInvalidValue(fmt::format("{}", date.timeIntervalSince1970), path,
                          "The date is outside the years ISO 8601 text can express here (0000 to 9999).");
      }
      return encoder.singleValueContainer()->encode(ISO8601DateFormatter().stringFromDate(date));
  }
}

void encodeData(const JSONEncoder& settings, const CodingPath& path, const NodePtr& node, const Data& data,
                EncodableRef value) {
  const auto& strategy = settings.dataEncodingStrategy;
  TreeEncoder encoder(settings, path, node);
  if (const auto* handler = strategy.handler()) return (*handler)(data, encoder);
  switch (*strategy.builtin()) {
    case DataEncodingCases::deferredToData:
      return value.encode(encoder);
    case DataEncodingCases::base64:
      return encoder.singleValueContainer()->encode(base64Encode(data));
  }
}

void encodeInto(const JSONEncoder& settings, const CodingPath& path, const NodePtr& node, EncodableRef value) {
  if (const auto* date = value.as<Date>()) return encodeDate(settings, path, node, *date, value);
  if (const auto* data = value.as<Data>()) return encodeData(settings, path, node, *data, value);
  TreeEncoder encoder(settings, path, node);
  value.encode(encoder);
}

}  // namespace

JSONValue encodeJSONTree(const JSONEncoder& settings, EncodableRef value) {
  const auto root = std::make_shared<Node>();
  encodeInto(settings, {}, root, value);
  if (root->isUnset()) throwInvalidValue("value", {}, "The top-level value did not encode any values.");
  return root->finish();
}

}  // namespace platform::detail
