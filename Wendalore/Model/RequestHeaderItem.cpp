#include "Wendalore/Model/RequestHeaderItem.h"

#include "Platform/Store/StoredRecord.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {

void RequestHeaderItem::describe(platform::Schema& schema) {
  schema.add({std::string(entityName), std::nullopt, [] { return std::make_shared<RequestHeaderItem>(Token{}); }});
}

std::shared_ptr<RequestHeaderItem> RequestHeaderItem::make(std::string key, std::string value) {
  auto item = std::make_shared<RequestHeaderItem>(Token{});
  item->key_ = std::move(key);
  item->value_ = std::move(value);
  return item;
}

void RequestHeaderItem::encode(platform::RecordWriter& record) const {
  record.write("id", id_);
  record.write("key", key_);
  record.write("value", value_);
  record.write("isEnabled", isEnabled_);
  record.writeReference("template", template_.lock());
}

void RequestHeaderItem::decode(const platform::RecordReader& record) {
  record.read("id", id_);
  record.read("key", key_);
  record.read("value", value_);
  record.read("isEnabled", isEnabled_);
  record.readReference<RequestTemplate>("template", template_);
}

std::vector<std::shared_ptr<platform::PersistentModel>> RequestHeaderItem::relatedModels() const {
  if (auto owner = template_.lock()) return {owner};
  return {};
}

}  // namespace wendalore
