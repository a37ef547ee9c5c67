#pragma once

#include <optional>
#include <string>

#include "Platform/Coding/CodingKey.h"
#include "Platform/Foundation/Error.h"

namespace platform {

// Input that a decoder cannot turn into the value asked for.
class DecodingError : public ErrorBase<DecodingError> {
 public:
  enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

  struct Context {
    CodingPath codingPath;
    std::string debugDescription;
    AnyError underlyingError;
  };

  // `type` names the type that was expected, for example "int32_t" or "object".
  static DecodingError typeMismatch(std::string type, Context context) {
    return DecodingError(Kind::typeMismatch, std::move(type), std::nullopt, std::move(context));
  }
  static DecodingError valueNotFound(std::string type, Context context) {
    return DecodingError(Kind::valueNotFound, std::move(type), std::nullopt, std::move(context));
  }
  // The context's path is that of the container the key was missing from.
  static DecodingError keyNotFound(CodingKey key, Context context) {
    return DecodingError(Kind::keyNotFound, {}, std::move(key), std::move(context));
  }
  static DecodingError dataCorrupted(Context context) {
    return DecodingError(Kind::dataCorrupted, {}, std::nullopt, std::move(context));
  }

  Kind kind() const { return kind_; }
  const std::string& type() const { return type_; }
  const std::optional<CodingKey>& key() const { return key_; }
  const Context& context() const { return context_; }

  // Names the kind and the full path (a missing key included), then the
  // debug description, for example
  // "Type mismatch at user.tags[1]: Expected to decode int32_t but found a string instead."
  std::string description() const override;
  std::string localizedDescription() const override;

 private:
  DecodingError(Kind kind, std::string type, std::optional<CodingKey> key, Context context)
      : kind_(kind), type_(std::move(type)), key_(std::move(key)), context_(std::move(context)) {}

  Kind kind_;
  std::string type_;
  std::optional<CodingKey> key_;
  Context context_;
};

}  // namespace platform
