#pragma once

#include <cstddef>
#include <expected>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
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
    // Counted into the plan, to be written as planned.
    counted,
  };

  // Writes the text within `room` bytes. Where a key repeats or the room
  // runs out, it goes on counting instead: it learns the text's size and
  // the keys each object repeats, into `plan`, and stops once the text as
  // read, each member counted until a later one with its key replaces it,
  // passes `maximumSize`.
  ReformatPass(JSONSerialization::WritingOptions options, std::size_t room, std::size_t maximumSize,
               ReformatPlan& plan);
  // Writes the text as counted into `plan`, in exactly its size.
  ReformatPass(JSONSerialization::WritingOptions options, ReformatPlan& plan);

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
  struct Container {
    explicit Container(char closing) : closing(closing) {}
    char closing;
    bool empty = true;
    // This container is the value that counts for a key an object repeats.
    bool fillsSlot = false;
    // Counting an object: its number, the keys met, whether one came again,
    // and where its current member and that member's value begin.
    std::size_t number = 0;
    KeyTally keys;
    bool repeats = false;
    RepeatedKey* current = nullptr;
    std::size_t memberStart = 0;
    std::size_t valueStart = 0;
    // Writing an object as planned: the keys it repeats, if any.
    std::unordered_map<std::string, RepeatedKey>* repeated = nullptr;
  };
  // The text around a value being written for an earlier slot.
  struct Fill {
    std::size_t slot;
    std::string outer;
  };

  enum class Mode { direct, counting, planned };

  int depth() const { return static_cast<int>(open_.size()); }
  std::size_t position() const { return counted_ + writer_.size(); }
  void makeRoomFor(std::size_t stringBytes);
  void count();
  bool stop(Stop why);
  bool settled();

  void beginValue();
  bool scalar(JSONValue value);
  bool open(char bracket);
  bool close();
  bool valueEnded(bool fillsSlot);
  void countMember(Container& object);
  bool writeRepeatedKey(Container& object, std::string_view name, RepeatedKey& key);
  void beginFill(const RepeatedKey& key);
  void endFill();

  Mode mode_;
  std::size_t room_ = 0;
  std::size_t maximumSize_ = 0;
  ReformatPlan& plan_;
  JSONWriter writer_;
  std::vector<Container> open_;
  // Counting: the bytes counted and let go.
  std::size_t counted_ = 0;
  std::size_t objects_ = 0;
  // Writing as planned: the values of repeated keys that do not count are
  // read past; the next value may fill an earlier slot.
  std::size_t skipping_ = 0;
  bool skipNext_ = false;
  bool fillNext_ = false;
  std::vector<Fill> fills_;
  Stop stop_ = Stop::unwritable;
};

}  // namespace platform::detail
