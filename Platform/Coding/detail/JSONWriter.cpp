#include "Platform/Coding/detail/JSONWriter.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <ranges>
#include <vector>

#include "Platform/Coding/detail/NumberText.h"
#include "Platform/Foundation/UTF8.h"

namespace platform::detail {

using Options = JSONSerialization::WritingOptions;

std::optional<std::string> JSONWriter::problem(const JSONValue& value) const {
  if (!value.isContainer() && !options_.contains(Options::fragmentsAllowed)) {
    return fmt::format("the top-level value is {}, not an array or an object, and fragments are not allowed",
                       value.kindDescription());
  }
  return problemBelow(value);
}

std::optional<std::string> JSONWriter::problemBelow(const JSONValue& value) const {
  if (const auto* number = value.as<double>(); number && !std::isfinite(*number)) {
    return fmt::format("the number {} has no JSON form", *number);
  }
  if (const auto* text = value.as<std::string>(); text && !isValidUTF8(*text)) {
    return std::string("a string is not valid UTF-8");
  }
  if (const auto* array = value.as<JSONArray>()) {
    for (const auto& element : *array) {
      if (auto found = problemBelow(element)) return found;
    }
  }
  if (const auto* object = value.as<JSONObject>()) {
    for (const auto& [key, member] : *object) {
      if (!isValidUTF8(key)) return std::string("an object key is not valid UTF-8");
      if (auto found = problemBelow(member)) return found;
    }
  }
  return std::nullopt;
}

std::string JSONWriter::write(const JSONValue& value) {
  text_.clear();
  invalid_ = false;
  writeValue(value, 0);
  return std::move(text_);
}

std::optional<std::string> JSONWriter::writeIfValid(const JSONValue& value) {
  if (!value.isContainer() && !options_.contains(Options::fragmentsAllowed)) return std::nullopt;
  std::string text = write(value);
  if (invalid_) return std::nullopt;
  return text;
}

void JSONWriter::writeValue(const JSONValue& value, int depth) {
  std::visit(
      [&](const auto& content) {
        using T = std::decay_t<decltype(content)>;
        if constexpr (std::is_same_v<T, std::nullptr_t>) {
          text_ += "null";
        } else if constexpr (std::is_same_v<T, bool>) {
          text_ += content ? "true" : "false";
        } else if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, std::uint64_t>) {
          fmt::format_to(std::back_inserter(text_), "{}", content);
        } else if constexpr (std::is_same_v<T, double>) {
          if (!std::isfinite(content)) invalid_ = true;
          text_ += jsonNumberText(content);
        } else if constexpr (std::is_same_v<T, std::string>) {
          if (!isValidUTF8(content)) invalid_ = true;
          writeString(content);
        } else if constexpr (std::is_same_v<T, JSONArray>) {
          writeArray(content, depth);
        } else {
          writeObject(content, depth);
        }
      },
      value.storage());
}

void JSONWriter::writeArray(const JSONArray& array, int depth) {
  openContainer('[');
  for (std::size_t i = 0; i < array.size(); ++i) {
    beginMember(i == 0, depth + 1);
    writeValue(array[i], depth + 1);
  }
  closeContainer(']', array.empty(), depth);
}

void JSONWriter::writeObject(const JSONObject& object, int depth) {
  if (!options_.contains(Options::sortedKeys)) return writeEntries(object, depth);
  std::vector<const JSONObject::Entry*> entries;
  entries.reserve(object.size());
  for (const auto& entry : object) entries.push_back(&entry);
  // std::string compares bytes as unsigned, which for UTF-8 is code point order.
  std::ranges::sort(entries, [](const auto* left, const auto* right) { return left->first < right->first; });
  writeEntries(entries | std::views::transform([](const auto* entry) -> const auto& { return *entry; }), depth);
}

template <class Entries>
void JSONWriter::writeEntries(const Entries& entries, int depth) {
  openContainer('{');
  bool first = true;
  for (const auto& [key, member] : entries) {
    beginMember(first, depth + 1);
    first = false;
    writeKey(key);
    writeValue(member, depth + 1);
  }
  closeContainer('}', first, depth);
}

void JSONWriter::beginMember(bool first, int depth) {
  if (!first) text_ += ',';
  writeNewline(depth);
}

void JSONWriter::writeKey(std::string_view key) {
  if (!isValidUTF8(key)) invalid_ = true;
  writeString(key);
  text_ += options_.contains(Options::prettyPrinted) ? " : " : ":";
}

std::size_t JSONWriter::leaveSlot(std::size_t bytes) {
  const auto at = text_.size();
  text_.append(bytes, ' ');
  return at;
}

void JSONWriter::closeContainer(char bracket, bool empty, int depth) {
  if (!empty) writeNewline(depth);
  text_ += bracket;
}

void JSONWriter::writeNewline(int depth) {
  if (!options_.contains(Options::prettyPrinted)) return;
  text_ += '\n';
  text_.append(static_cast<std::size_t>(depth) * 2, ' ');
}

void JSONWriter::writeString(std::string_view text) {
  const bool escapeSlashes = !options_.contains(Options::withoutEscapingSlashes);
  text_ += '"';
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::string_view escape;
    switch (byte) {
      case '"': escape = "\\\""; break;
      case '\\': escape = "\\\\"; break;
      case '/': escape = escapeSlashes ? "\\/" : ""; break;
      case '\b': escape = "\\b"; break;
      case '\f': escape = "\\f"; break;
      case '\n': escape = "\\n"; break;
      case '\r': escape = "\\r"; break;
      case '\t': escape = "\\t"; break;
      default: break;
    }
    if (escape.empty() && byte >= 0x20) continue;
    text_.append(text.substr(runStart, i - runStart));
    if (escape.empty()) {
      fmt::format_to(std::back_inserter(text_), "\\u{:04x}", byte);
    } else {
      text_ += escape;
    }
    runStart = i + 1;
  }
  text_.append(text.substr(runStart));
  text_ += '"';
}

}  // namespace platform::detail
