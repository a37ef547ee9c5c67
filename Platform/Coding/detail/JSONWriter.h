#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Coding/JSONSerialization.h"

namespace platform::detail {

// Writes a JSONValue tree as text with the given options.
class JSONWriter {
 public:
  explicit JSONWriter(JSONSerialization::WritingOptions options) : options_(options) {}

  // Why the value cannot be written with these options, if it cannot.
  std::optional<std::string> problem(const JSONValue& value) const;

  // The text of a value for which problem() found nothing.
  std::string write(const JSONValue& value);
  // The text of the value, or nothing when problem() would find one: the
  // checks ride along with the writing instead of walking the tree twice.
  std::optional<std::string> writeIfValid(const JSONValue& value);

  // Writing piece by piece, in the order a reader meets them, gives the
  // same text as write() of the whole tree. `depth` counts the containers
  // open around what is written.
  void reserve(std::size_t bytes) { text_.reserve(bytes); }
  void writeScalar(const JSONValue& value) { writeValue(value, 0); }
  void openContainer(char bracket) { text_ += bracket; }
  // Before each element of an array and each key of an object.
  void beginMember(bool first, int depth);
  void writeKey(std::string_view key);
  void closeContainer(char bracket, bool empty, int depth);
  // Whether something written so far has no JSON form.
  bool isInvalid() const { return invalid_; }
  std::size_t size() const { return text_.size(); }
  std::string takeText() { return std::move(text_); }
  // Lets go of the text written so far; what was invalid in it stays so.
  void discardText() { text_.clear(); }
  // What follows is written after `other`'s bytes, which it takes; `other`
  // gets the text written so far.
  void swapText(std::string& other) { text_.swap(other); }
  // Room of `bytes` bytes for a piece that is written later, elsewhere.
  std::size_t leaveSlot(std::size_t bytes);
  void fillSlot(std::size_t at, std::string_view piece) { text_.replace(at, piece.size(), piece); }

 private:
  std::optional<std::string> problemBelow(const JSONValue& value) const;
  void writeValue(const JSONValue& value, int depth);
  void writeArray(const JSONArray& array, int depth);
  void writeObject(const JSONObject& object, int depth);
  template <class Entries>
  void writeEntries(const Entries& entries, int depth);
  void writeString(std::string_view text);
  void writeNewline(int depth);

  JSONSerialization::WritingOptions options_;
  std::string text_;
  // Set on meeting what problem() would report.
  bool invalid_ = false;
};

}  // namespace platform::detail
