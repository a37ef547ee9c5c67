#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/detail/JSONWriter.h"
#include "Platform/Coding/detail/KeyTally.h"
#include "Platform/Coding/detail/ReformatPlan.h"

namespace platform::detail {

// One pass over a JSON text's reader events, writing each as it comes.
class ReformatPass : public nlohmann::json::json_sax_t {
 public:
  enum class Stop {
    unwritable,
    tooLarge,
    // A key may repeat, or the room ran out: the text is to be counted
    // into a plan and written as planned.
    needsPlan,
    // Counted into the plan, to be written as planned.
    counted,
  };

  // Writes the text within `room` bytes, what it keeps to notice a
  // repeated key included.
  static ReformatPass direct(JSONSerialization::WritingOptions options, std::size_t room);
  // Learns the text's size and the keys each object repeats, into `plan`,
  // and stops once the text as read, each member counted until a later one
  // with its key replaces it, and what it takes to plan it pass
  // `maximumSize`.
  static ReformatPass counting(JSONSerialization::WritingOptions options, std::size_t maximumSize,
                               ReformatPlan& plan);
  // Writes the text as counted into `plan`, in exactly its size.
  static ReformatPass planned(JSONSerialization::WritingOptions options, ReformatPlan& plan);

  // The text as a tree's writer would write it, or why the pass stopped.
  std::expected<std::string, Stop> run(std::string_view text);

  bool null() override { return scalar(nullptr); }
  bool boolean(bool value) override { return scalar(value); }
  bool number_integer(number_integer_t value) override { return scalar(value); }
  bool number_unsigned(number_unsigned_t value) override { return scalar(value); }
  bool number_float(number_float_t value, const string_t&) override { return scalar(value); }
  bool string(string_t& value) override { return scalar(std::move(value)); }
  bool binary(binary_t&) override { return false; }
  bool key(string_t& value) override;
  bool start_object(std::size_t) override { return open('{'); }
  bool start_array(std::size_t) override { return open('['); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  enum class Mode { direct, counting, planned };

  struct Container {
    explicit Container(char closing) : closing(closing) {}
    char closing;
    bool empty = true;
    // This container is the value that counts for a key an object repeats.
    bool fillsSlot = false;
    std::size_t number = 0;
    std::size_t members = 0;
    // Writing directly: where the hashes of its keys begin.
    std::size_t firstHash = 0;
    // Counting: the keys met, the later occurrences of repeated ones, where
    // the current member and its value begin, the memory this takes, and
    // the most that writing it and the objects inside it keep open at once.
    KeyTally keys;
    LaterOccurrences later;
    KeyCount* current = nullptr;
    std::size_t memberStart = 0;
    std::size_t valueStart = 0;
    std::size_t bookkeeping = 0;
    std::size_t heldWhenWritten = 0;
    // Writing as planned: the keys it repeats, if any.
    std::optional<PlannedObject> planned;
  };
  // The text around a value being written for an earlier slot.
  struct Fill {
    std::size_t slot;
    std::string outer;
  };

  ReformatPass(Mode mode, JSONSerialization::WritingOptions options, ReformatPlan* plan);

  int depth() const { return static_cast<int>(open_.size()); }
  std::size_t position() const { return counted_ + writer_.size(); }
  bool makeRoomFor(std::size_t stringBytes);
  bool stop(Stop why);
  bool settled();

  void beginValue();
  bool scalar(JSONValue value);
  bool open(char bracket);
  bool close();
  bool closeDirectObject(const Container& object);
  void closeCountedObject(Container& object);
  bool valueEnded(bool fillsSlot);
  void countKey(Container& object, std::string name, std::size_t memberStart);
  void countMember(Container& object);
  bool writePlannedKey(Container& object, std::string_view name, PlannedRole role);
  void beginFill(std::size_t slot, std::size_t valueSize);
  void endFill();

  Mode mode_;
  std::size_t room_ = 0;
  std::size_t maximumSize_ = 0;
  ReformatPlan* plan_;
  JSONWriter writer_;
  std::vector<Container> open_;
  std::size_t objects_ = 0;
  // Writing directly: the hashes of the keys of the objects open, checked
  // for a repeat as each object closes.
  std::vector<std::uint64_t> keyHashes_;
  // Counting: the bytes counted and let go, and what the open objects'
  // counting holds.
  std::size_t counted_ = 0;
  std::size_t bookkeeping_ = 0;
  // The most that writing as planned keeps of the objects open at once.
  std::size_t heldWhenWritten_ = 0;
  // Writing as planned: the values of repeated keys that do not count are
  // read past; the next value may fill an earlier slot.
  std::size_t skipping_ = 0;
  bool skipNext_ = false;
  bool fillNext_ = false;
  std::vector<Fill> fills_;
  Stop stop_ = Stop::unwritable;
};

}  // namespace platform::detail
