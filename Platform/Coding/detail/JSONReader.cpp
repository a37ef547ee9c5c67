#include "Platform/Coding/detail/JSONReader.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "Platform/Coding/JSONSerializationError.h"

namespace platform::detail {

namespace {

// Builds the tree from the parser's events. Open containers are held by
// pointer: a parent never grows while one of its children is open.
class TreeBuilder : public nlohmann::json::json_sax_t {
 public:
  JSONValue take() { return std::move(root_); }
  const std::optional<JSONSerializationError>& error() const { return error_; }

  bool null() override { return add(nullptr); }
  bool boolean(bool value) override { return add(value); }
  bool number_integer(number_integer_t value) override { return add(value); }
  bool number_unsigned(number_unsigned_t value) override { return add(value); }
  bool number_float(number_float_t value, const string_t&) override { return add(value); }
  bool string(string_t& value) override { return add(std::move(value)); }
  bool binary(binary_t&) override { return fail("binary values are not JSON"); }
  bool key(string_t& value) override {
    pendingKey_ = std::move(value);
    return true;
  }
  bool start_object(std::size_t) override { return open(JSONObject()); }
  bool start_array(std::size_t) override { return open(JSONArray()); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& exception) override {
    // The parser counts the offending byte as read; the offset points at it.
    error_.emplace(JSONSerializationError::Kind::unreadableText, readableMessage(exception.what()),
                   position == 0 ? 0 : position - 1);
    return false;
  }

 private:
  // The parser's message without its error-code prefix and without the
  // echo of the raw input, which may not even be text.
  static std::string readableMessage(std::string message) {
    if (const auto prefixEnd = message.find("] "); message.starts_with("[json.exception") && prefixEnd != std::string::npos) {
      message.erase(0, prefixEnd + 2);
    }
    if (const auto echo = message.find("; last read: "); echo != std::string::npos) {
      const auto next = message.find("; expected", echo + 1);
      message.erase(echo, next == std::string::npos ? std::string::npos : next - echo);
    }
    return message;
  }

  bool fail(std::string message) {
    error_.emplace(JSONSerializationError::Kind::unreadableText, std::move(message));
    return false;
  }

  JSONValue* add(JSONValue value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    if (auto* array = open_.back()->as<JSONArray>()) return &array->emplace_back(std::move(value));
    return &open_.back()->as<JSONObject>()->set(std::move(pendingKey_), std::move(value));
  }

  bool open(JSONValue container) {
    if (open_.size() == maximumJSONNesting) {
      return fail(fmt::format("arrays and objects are nested deeper than {} levels", maximumJSONNesting));
    }
    open_.push_back(add(std::move(container)));
    return true;
  }

  bool close() {
    open_.pop_back();
    return true;
  }

  JSONValue root_;
  std::vector<JSONValue*> open_;
  std::string pendingKey_;
  std::optional<JSONSerializationError> error_;
};

}  // namespace

JSONValue readJSON(std::string_view text) {
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    throw JSONSerializationError(JSONSerializationError::Kind::unreadableText, "the text holds a NUL byte", nul);
  }
  TreeBuilder builder;
  if (!nlohmann::json::sax_parse(text, &builder)) {
    if (builder.error()) throw *builder.error();
    throw JSONSerializationError(JSONSerializationError::Kind::unreadableText, "the text could not be parsed");
  }
  return builder.take();
}

}  // namespace platform::detail
