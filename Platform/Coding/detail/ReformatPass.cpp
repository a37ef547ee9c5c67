#include "Platform/Coding/detail/ReformatPass.h"

#include <utility>

#include "Platform/Coding/detail/JSONReader.h"

namespace platform::detail {

namespace {

// Counted text is let go in pieces of this size.
constexpr std::size_t countedPiece = 64 * 1024;

}  // namespace

ReformatPass::ReformatPass(JSONSerialization::WritingOptions options, std::size_t room, std::size_t maximumSize,
                           ReformatPlan& plan)
    : mode_(Mode::direct), room_(room), maximumSize_(maximumSize), plan_(plan), writer_(options) {
  // Growing the text by doubling would hold the old and the new buffer at
  // once; room the text does not take is never touched, so costs nothing.
  writer_.reserve(room_);
}

ReformatPass::ReformatPass(JSONSerialization::WritingOptions options, ReformatPlan& plan)
    : mode_(Mode::planned), plan_(plan), writer_(options) {
  writer_.reserve(plan_.textSize);
}

std::expected<std::string, ReformatPass::Stop> ReformatPass::run(std::string_view text) {
  if (!nlohmann::json::sax_parse(text, this)) return std::unexpected(stop_);
  if (mode_ != Mode::counting) return writer_.takeText();
  plan_.textSize = position();
  return std::unexpected(Stop::counted);
}

bool ReformatPass::stop(Stop why) {
  stop_ = why;
  return false;
}

// A direct pass that could not write the next event, one string of
// `stringBytes` at most, without growing its text goes on counting: each
// byte of a string takes six at most, a newline and its indentation two
// per level.
void ReformatPass::makeRoomFor(std::size_t stringBytes) {
  constexpr std::size_t punctuationAndNumber = 48;
  if (mode_ == Mode::direct &&
      writer_.size() + 6 * stringBytes + 2 * open_.size() + punctuationAndNumber > room_) {
    count();
  }
}

// What was written is counted and let go.
void ReformatPass::count() {
  mode_ = Mode::counting;
  counted_ += writer_.takeText().size();
}

bool ReformatPass::settled() {
  if (writer_.isInvalid()) return stop(Stop::unwritable);
  if (mode_ != Mode::counting) return true;
  if (position() > maximumSize_) return stop(Stop::tooLarge);
  if (writer_.size() >= countedPiece) {
    counted_ += writer_.size();
    writer_.discardText();
  }
  return true;
}

// An array's element starts its member; an object's value follows its key.
void ReformatPass::beginValue() {
  if (open_.empty() || open_.back().closing != ']') return;
  writer_.beginMember(open_.back().empty, depth());
  open_.back().empty = false;
}

bool ReformatPass::scalar(JSONValue value) {
  // A lone scalar is a fragment, which the tree's reader refuses too.
  if (open_.empty() && skipping_ == 0) return stop(Stop::unwritable);
  if (skipping_ > 0 || std::exchange(skipNext_, false)) return true;
  const auto* text = value.as<std::string>();
  makeRoomFor(text ? text->size() : 0);
  beginValue();
  writer_.writeScalar(value);
  return valueEnded(std::exchange(fillNext_, false));
}

bool ReformatPass::key(string_t& name) {
  if (skipping_ > 0) return true;
  auto& object = open_.back();
  if (object.repeated) {
    if (const auto found = object.repeated->find(name); found != object.repeated->end()) {
      return writeRepeatedKey(object, name, found->second);
    }
  }
  makeRoomFor(name.size());
  const auto memberStart = position();
  writer_.beginMember(object.empty, depth());
  object.empty = false;
  writer_.writeKey(name);
  if (mode_ != Mode::planned) {
    auto& tally = object.keys[std::move(name)];
    if (++tally.occurrences > 1 && mode_ == Mode::direct) count();
    object.current = &tally;
    object.memberStart = memberStart;
    object.valueStart = position();
  }
  return settled();
}

bool ReformatPass::open(char bracket) {
  const std::size_t number = bracket == '{' ? objects_++ : 0;
  if (skipping_ > 0 || std::exchange(skipNext_, false)) {
    ++skipping_;
    return true;
  }
  if (open_.size() == maximumJSONNesting) return stop(Stop::unwritable);
  makeRoomFor(0);
  beginValue();
  writer_.openContainer(bracket);
  auto& container = open_.emplace_back(bracket == '{' ? '}' : ']');
  container.number = number;
  container.fillsSlot = std::exchange(fillNext_, false);
  if (mode_ == Mode::planned && bracket == '{') {
    if (const auto found = plan_.repeatedKeys.find(number); found != plan_.repeatedKeys.end()) {
      container.repeated = &found->second;
    }
  }
  return settled();
}

bool ReformatPass::close() {
  if (skipping_ > 0) {
    --skipping_;
    return true;
  }
  makeRoomFor(0);
  auto container = std::move(open_.back());
  open_.pop_back();
  writer_.closeContainer(container.closing, container.empty, depth());
  if (container.repeats) {
    auto& repeated = plan_.repeatedKeys[container.number];
    container.keys.forEachRepeated([&](const std::string& name, const RepeatedKey& key) { repeated.emplace(name, key); });
  }
  return valueEnded(container.fillsSlot);
}

bool ReformatPass::valueEnded(bool fillsSlot) {
  if (fillsSlot) endFill();
  if (mode_ != Mode::planned && !open_.empty() && open_.back().closing == '}') countMember(open_.back());
  return settled();
}

// A member whose key came before leaves the text: its value takes the
// place of the earlier one's.
void ReformatPass::countMember(Container& object) {
  auto& key = *object.current;
  const auto valueSize = position() - object.valueStart;
  if (key.occurrences > 1) {
    counted_ = object.memberStart + valueSize - key.valueSize;
    writer_.discardText();
    object.repeats = true;
  }
  key.valueSize = valueSize;
}

// The first occurrence writes the member with room for the value that
// counts; the last one writes that value into the room.
bool ReformatPass::writeRepeatedKey(Container& object, std::string_view name, RepeatedKey& key) {
  ++key.met;
  if (key.met == 1) {
    writer_.beginMember(object.empty, depth());
    object.empty = false;
    writer_.writeKey(name);
    key.slot = writer_.leaveSlot(key.valueSize);
  }
  if (key.met < key.occurrences) {
    skipNext_ = true;
  } else {
    beginFill(key);
  }
  return settled();
}

void ReformatPass::beginFill(const RepeatedKey& key) {
  std::string value;
  value.reserve(key.valueSize);
  writer_.swapText(value);
  fills_.push_back({key.slot, std::move(value)});
  fillNext_ = true;
}

void ReformatPass::endFill() {
  auto fill = std::move(fills_.back());
  fills_.pop_back();
  writer_.swapText(fill.outer);
  writer_.fillSlot(fill.slot, fill.outer);
}

}  // namespace platform::detail
