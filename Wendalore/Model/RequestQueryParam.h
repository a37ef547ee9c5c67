#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/UUID.h"
#include "Platform/Store/PersistentModel.h"
#include "Platform/Store/Schema.h"

namespace wendalore {

// One query-parameter row of a template, owned by the template's
// `queryParams`; it has no reference back.
class RequestQueryParam final : public platform::PersistentModel {
  struct Token {
    explicit Token() = default;
  };

 public:
  static constexpr std::string_view entityName = "RequestQueryParam";
  static void describe(platform::Schema& schema);

  static std::shared_ptr<RequestQueryParam> make(std::string key, std::string value, bool isEnabled);
  explicit RequestQueryParam(Token) {}

  std::string_view entity() const override { return entityName; }

  const platform::UUID& id() const { return id_; }
  void setId(platform::UUID id) { assign("id", id_, id); }
  const std::string& key() const { return key_; }
  void setKey(std::string key) { assign("key", key_, std::move(key)); }
  const std::string& value() const { return value_; }
  void setValue(std::string value) { assign("value", value_, std::move(value)); }
  bool isEnabled() const { return isEnabled_; }
  void setIsEnabled(bool enabled) { assign("isEnabled", isEnabled_, enabled); }

 private:
  void encode(platform::RecordWriter& record) const override;
  void decode(const platform::RecordReader& record) override;
  std::vector<std::shared_ptr<platform::PersistentModel>> relatedModels() const override { return {}; }

  platform::UUID id_;
  std::string key_;
  std::string value_;
  bool isEnabled_ = false;
};

}  // namespace wendalore
