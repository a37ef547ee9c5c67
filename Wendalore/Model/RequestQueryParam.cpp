#include "Wendalore/Model/RequestQueryParam.h"

#include "Platform/Store/StoredRecord.h"

namespace wendalore {

void RequestQueryParam::describe(platform::Schema& schema) {
  schema.add({std::string(entityName), std::nullopt, [] { return std::make_shared<RequestQueryParam>(Token{}); }});
}

std::shared_ptr<RequestQueryParam> RequestQueryParam::make(std::string key, std::string value, bool isEnabled) {
  auto param = std::make_shared<RequestQueryParam>(Token{});
  param->key_ = std::move(key);
  param->value_ = std::move(value);
  param->isEnabled_ = isEnabled;
  return param;
}

void RequestQueryParam::encode(platform::RecordWriter& record) const {
  record.write("id", id_);
  record.write("key", key_);
  record.write("value", value_);
  record.write("isEnabled", isEnabled_);
}

void RequestQueryParam::decode(const platform::RecordReader& record) {
  record.read("id", id_);
  record.read("key", key_);
  record.read("value", value_);
  record.read("isEnabled", isEnabled_);
}

}  // namespace wendalore
