#include "Platform/Coding/detail/JSONReformatter.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <unordered_set>
#include <vector>

#include "Platform/Coding/detail/JSONReader.h"
#include "Platform/Coding/detail/JSONWriter.h"

namespace platform::detail {

namespace {

// The keys an object has shown so far: searched in place while few, as
// most objects have few keys, hashed beyond that.
class SeenKeys {
 public:
  // False when `key` was seen already.
  bool insert(std::string key) {
    if (hashed_.empty() && few_.size() < searchedInPlace) {
      if (std::ranges::find(few_, key) != few_.end()) return false;
      few_.push_back(std::move(key));
      return true;
    }
    if (hashed_.empty()) {
      hashed_.insert(std::make_move_iterator(few_.begin()), std::make_move_iterator(few_.end()));
      few_.clear();
    }
    return hashed_.insert(std::move(key)).second;
  }

 private:
  static constexpr std::size_t searchedInPlace = 8;
  std::vector<std::string> few_;
  std::unordered_set<std::string> hashed_;
};

// Writes each of the parser's events as it comes.
class Reformatter : public nlohmann::json::json_sax_t {
 public:
  Reformatter(JSONSerialization::WritingOptions options, std::size_t textSize) : writer_(options) {
    // Growing the text by doubling would hold the old and the new buffer at
    // once; room the text does not take is never touched, so costs nothing.
    // Indenting compact records about doubles them.
    writer_.reserve(options.contains(JSONSerialization::WritingOptions::prettyPrinted) ? 2 * textSize : textSize);
  }

  std::string takeText() { return writer_.takeText(); }
  ReformatFailure failure() const { return failure_; }

  bool null() override { return scalar(nullptr); }
  bool boolean(bool value) override { return scalar(value); }
  bool number_integer(number_integer_t value) override { return scalar(value); }
  bool number_unsigned(number_unsigned_t value) override { return scalar(value); }
  bool number_float(number_float_t value, const string_t&) override { return scalar(value); }
  bool string(string_t& value) override { return scalar(std::move(value)); }
  bool binary(binary_t&) override { return false; }
  bool key(string_t& value) override {
    auto& object = open_.back();
    writer_.beginMember(object.empty, depth());
    object.empty = false;
    writer_.writeKey(value);
    if (!object.keys.insert(std::move(value))) {
      failure_ = ReformatFailure::needsTree;
      return false;
    }
    return !writer_.isInvalid();
  }
  bool start_object(std::size_t) override { return open('{'); }
  bool start_array(std::size_t) override { return open('['); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  struct Container {
    explicit Container(char closing) : closing(closing) {}
    char closing;
    bool empty = true;
    SeenKeys keys;
  };

  int depth() const { return static_cast<int>(open_.size()); }

  // An array's element starts its member; an object's value follows its key.
  void beginValue() {
    if (open_.empty() || open_.back().closing != ']') return;
    writer_.beginMember(open_.back().empty, depth());
    open_.back().empty = false;
  }

  bool scalar(JSONValue value) {
    // A lone scalar is a fragment, which the tree's reader refuses too.
    if (open_.empty()) return false;
    beginValue();
    writer_.writeScalar(value);
    return !writer_.isInvalid();
  }

  bool open(char bracket) {
    if (open_.size() == maximumJSONNesting) return false;
    beginValue();
    writer_.openContainer(bracket);
    open_.emplace_back(bracket == '{' ? '}' : ']');
    return true;
  }

  bool close() {
    const auto container = std::move(open_.back());
    open_.pop_back();
    writer_.closeContainer(container.closing, container.empty, depth());
    return !writer_.isInvalid();
  }

  JSONWriter writer_;
  std::vector<Container> open_;
  ReformatFailure failure_ = ReformatFailure::unwritable;
};

}  // namespace

std::expected<std::string, ReformatFailure> reformatJSON(std::string_view text,
                                                         JSONSerialization::WritingOptions options) {
  if (options.contains(JSONSerialization::WritingOptions::sortedKeys)) {
    return std::unexpected(ReformatFailure::needsTree);
  }
  Reformatter reformatter(options, text.size());
  if (!nlohmann::json::sax_parse(text, &reformatter)) return std::unexpected(reformatter.failure());
  return reformatter.takeText();
}

}  // namespace platform::detail
