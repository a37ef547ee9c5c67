#pragma once

#include <malloc.h>

#include <memory>
#include <string>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// What the program's heap holds in use, mapped blocks included.
inline std::size_t heapInUse() {
  const auto info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// An entry answered with a JSON body.
inline std::shared_ptr<RequestHistoryItem> answeredJSON(std::string body) {
  auto item = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  item->setStatusCode(200);
  item->setResponseHeaders({{"Content-Type", "application/json"}});
  item->setResponseBody(std::move(body));
  item->setIsPending(false);
  return item;
}

}  // namespace wendalore
