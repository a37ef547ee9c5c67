#include "Wendanet/Source/Support/URLEncodedFormComponent.h"

#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

void URLEncodedFormComponent::set(URLEncodedFormComponent value, std::span<const platform::CodingKey> path) {
  if (path.empty()) {
    *this = std::move(value);
    return;
  }
  // Filled in place: copying a child out and back would make filling a
  // long list quadratic.
  URLEncodedFormComponent& slot = child(path.front(), path.size() == 1);
  if (path.size() == 1) {
    slot = std::move(value);
  } else {
    slot.set(std::move(value), path.subspan(1));
  }
}

URLEncodedFormComponent& URLEncodedFormComponent::child(const platform::CodingKey& head, bool isLast) {
  // A child still to be filled starts as the kind its key asks for; a last
  // one is overwritten at once.
  if (const auto index = head.intValue) {
    const URLEncodedFormComponent fresh = isLast ? URLEncodedFormComponent() : array({});
    auto* elements = std::get_if<Array>(&value_);
    if (!elements) {
      value_ = Array{fresh};
      return std::get<Array>(value_).front();
    }
    if (*index >= 0 && static_cast<std::size_t>(*index) < elements->size()) {
      return (*elements)[static_cast<std::size_t>(*index)];
    }
    return elements->emplace_back(fresh);
  }
  auto* entries = std::get_if<Object>(&value_);
  if (!entries) {
    value_ = Object();
    entries = &std::get<Object>(value_);
  }
  if (URLEncodedFormComponent* existing = entries->find(head.stringValue)) return *existing;
  return entries->set(head.stringValue, URLEncodedFormComponent());
}

namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char character : text) {
    if (character == '"' || character == '\\') out.push_back('\\');
    out.push_back(character);
  }
  return out + "\"";
}

}  // namespace

std::string URLEncodedFormComponent::debugDescription() const {
  return std::visit(Overloaded{
                        [](const std::string& text) { return "string(" + quoted(text) + ")"; },
                        [](const Array& elements) {
                          std::string out = "array([";
                          for (std::size_t index = 0; index < elements.size(); ++index) {
                            if (index > 0) out += ", ";
                            out += elements[index].debugDescription();
                          }
                          return out + "])";
                        },
                        [](const Object& entries) {
                          std::string out = "object([";
                          bool first = true;
                          for (const auto& [key, component] : entries) {
                            if (!first) out += ", ";
                            first = false;
                            out += "(" + quoted(key) + ", " + component.debugDescription() + ")";
                          }
                          return out + "])";
                        },
                    },
                    value_);
}

}  // namespace wendanet
