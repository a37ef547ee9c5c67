#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Platform/Coding/CodingKey.h"
#include "Platform/Coding/detail/OrderedDictionary.h"
#include "Platform/Text/CanonicalText.h"

namespace wendanet {

// One node of the tree a value is written into before it becomes form
// text: a leaf text, a list, or keyed entries in first-insertion order.
class URLEncodedFormComponent {
 public:
  using Array = std::vector<URLEncodedFormComponent>;
  // Keys are text: canonically equivalent keys (a precomposed letter and
  // its decomposed form) are one key.
  struct CanonicalKeys {
    static bool equal(std::string_view left, std::string_view right) {
      return platform::canonicallyEqual(left, right);
    }
    static std::string indexKey(std::string_view key) { return platform::canonicalComposition(key); }
  };
  using Object = platform::detail::OrderedDictionary<URLEncodedFormComponent, CanonicalKeys>;

  URLEncodedFormComponent() : value_(Object()) {}
  static URLEncodedFormComponent string(std::string text) { return URLEncodedFormComponent(std::move(text)); }
  static URLEncodedFormComponent array(Array elements) { return URLEncodedFormComponent(std::move(elements)); }
  static URLEncodedFormComponent object(Object entries) { return URLEncodedFormComponent(std::move(entries)); }

  const std::string* asString() const { return std::get_if<std::string>(&value_); }
  const Array* asArray() const { return std::get_if<Array>(&value_); }
  const Object* asObject() const { return std::get_if<Object>(&value_); }

  // Puts `value` at `path` below this node. A key with an integer is a
  // list position: an index inside the list replaces that element, any
  // other index appends. A key without one names an entry: an existing
  // entry keeps its place and takes the new value. A node of the wrong kind
  // on the way is replaced, and what it held is dropped.
  void set(URLEncodedFormComponent value, std::span<const platform::CodingKey> path);

  // The case and its payload, for example string("abc").
  std::string debugDescription() const;

  friend bool operator==(const URLEncodedFormComponent&, const URLEncodedFormComponent&) = default;

 private:
  explicit URLEncodedFormComponent(std::string text) : value_(std::move(text)) {}
  explicit URLEncodedFormComponent(Array elements) : value_(std::move(elements)) {}
  explicit URLEncodedFormComponent(Object entries) : value_(std::move(entries)) {}

  // The node for `head`, made (and this node's kind changed) when missing.
  URLEncodedFormComponent& child(const platform::CodingKey& head, bool isLast);

  std::variant<std::string, Array, Object> value_;
};

// The tree one encode call writes into, shared by the value encoder and all
// its containers.
class URLEncodedFormContext {
 public:
  static std::shared_ptr<URLEncodedFormContext> make() {
    return std::shared_ptr<URLEncodedFormContext>(new URLEncodedFormContext());
  }

  URLEncodedFormComponent component;

 private:
  URLEncodedFormContext() = default;
};

}  // namespace wendanet
