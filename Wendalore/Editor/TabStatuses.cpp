#include "Wendalore/Editor/TabStatuses.h"

#include <algorithm>

namespace wendalore {
namespace {

bool usesBody(const RequestTemplate& request) {
  switch (request.bodyType()) {
    case RequestBodyType::none:
      return false;
    case RequestBodyType::formUrlEncoded:
      return true;
    case RequestBodyType::rawText:
    case RequestBodyType::json:
      return !request.body().empty();
    case RequestBodyType::multipart:
      return request.multipartFileURL().has_value() || !request.multipartFileName().empty();
  }
  return false;
}

}  // namespace

std::map<EditorTab, TabStatus> tabStatuses(const RequestTemplate& request) {
  std::map<EditorTab, TabStatus> statuses;
  const auto enabled = std::ranges::count_if(request.queryParams(), [](const auto& row) { return row->isEnabled(); });
  statuses.emplace(EditorTab::params, TabStatus::count(static_cast<int>(enabled)));
  statuses.emplace(EditorTab::headers, TabStatus::count(static_cast<int>(request.headers().size())));
  if (usesBody(request)) statuses.emplace(EditorTab::body, TabStatus::active());
  if (request.authType() != RequestAuthType::none) statuses.emplace(EditorTab::auth, TabStatus::active());
  return statuses;
}

}  // namespace wendalore
