#include "Platform/Foundation/URLRequest.h"

namespace platform {

void URLRequest::setAllHTTPHeaderFields(std::optional<HTTPHeaderFields> fields) {
  if (!fields) {
    headerFields_.reset();
    return;
  }
  headerFields_.emplace();
  for (auto& [name, value] : *fields) setValueForHTTPHeaderField(std::move(value), name);
}

std::optional<std::string> URLRequest::valueForHTTPHeaderField(std::string_view name) const {
  if (!headerFields_) return std::nullopt;
  return valueOfHeaderField(*headerFields_, name);
}

void URLRequest::setValueForHTTPHeaderField(std::optional<std::string> value, std::string_view name) {
  const auto index = headerFields_ ? indexOfHeaderField(*headerFields_, name) : std::nullopt;
  if (!value) {
    if (index) headerFields_->erase(headerFields_->begin() + static_cast<std::ptrdiff_t>(*index));
    return;
  }
  if (!headerFields_) headerFields_.emplace();
  if (index) {
    (*headerFields_)[*index] = {std::string(name), std::move(*value)};
  } else {
    headerFields_->emplace_back(std::string(name), std::move(*value));
  }
}

void URLRequest::addValueForHTTPHeaderField(std::string_view value, std::string_view name) {
  const auto index = headerFields_ ? indexOfHeaderField(*headerFields_, name) : std::nullopt;
  if (!index) return setValueForHTTPHeaderField(std::string(value), name);
  auto& existing = (*headerFields_)[*index].second;
  existing += ',';
  existing += value;
}

void URLRequest::setHTTPBody(std::optional<Data> body) {
  if (body) httpBodyStream_.reset();
  httpBody_ = std::move(body);
}

void URLRequest::setHTTPBodyStream(std::shared_ptr<InputStream> stream) {
  if (stream) httpBody_.reset();
  httpBodyStream_ = std::move(stream);
}

std::string URLRequest::description() const { return url_ ? url_->absoluteString() : "(no URL)"; }

}  // namespace platform
