#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Wendalore/Model/RequestHeaderItem.h"

namespace wendalore::test {

struct Row {
  std::string key;
  std::string value;
  bool enabled = true;
};

inline std::vector<std::shared_ptr<RequestHeaderItem>> headerRows(const std::vector<Row>& specs) {
  std::vector<std::shared_ptr<RequestHeaderItem>> items;
  for (const auto& spec : specs) {
    auto item = RequestHeaderItem::make(spec.key, spec.value);
    item->setIsEnabled(spec.enabled);
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace wendalore::test
