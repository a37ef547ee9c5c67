#include "Platform/Coding/detail/ReformatPass.h"

#include <algorithm>
#include <functional>
#include <type_traits>
#include <utility>

#include "Platform/Coding/detail/JSONReader.h"

namespace platform::detail {

namespace {

// Counted text is let go in pieces of this size.
constexpr std::size_t countedPiece = 64 * 1024;

}  // namespace

// Counting keeps pointers into the tallies of open objects, which must not
// be copied when the stack of them grows.
static_assert(std::is_nothrow_move_constructible_v<KeyTally>);

ReformatPass::ReformatPass(Mode mode, JSONSerialization::WritingOptions options, ReformatPlan* plan)
    : mode_(mode), plan_(plan), writer_(options) {}

ReformatPass ReformatPass::direct(JSONSerialization::WritingOptions options, std::size_t room) {
  ReformatPass pass(Mode::direct, options, nullptr);
  pass.room_ = room;
  // Growing the text by doubling would hold the old and the new buffer at
  // once; room the text does not take is never touched, so costs nothing.
  pass.writer_.reserve(room);
  return pass;
}

ReformatPass ReformatPass::counting(JSONSerialization::WritingOptions options, std::size_t maximumSize,
                                   ReformatPlan& plan) {
  ReformatPass pass(Mode::counting, options, &plan);
  pass.maximumSize_ = maximumSize;
  return pass;
}

ReformatPass ReformatPass::planned(JSONSerialization::WritingOptions options, ReformatPlan& plan) {
  ReformatPass pass(Mode::planned, options, &plan);
  pass.writer_.reserve(plan.textSize);
  return pass;
}

std::expected<std::string, ReformatPass::Stop> ReformatPass::run(std::string_view text) {
  if (!nlohmann::json::sax_parse(text, this)) return std::unexpected(stop_);
  if (mode_ != Mode::counting) return writer_.takeText();
  plan_->textSize = position();
  // Writing holds the text, the plan, and what the objects open at once
  // keep; putting the plan in order comes before and takes less.
  if (plan_->textSize + plan_->bytes() + plan_->bytesToPutInOrder() + heldWhenWritten_ > maximumSize_) {
    return std::unexpected(Stop::tooLarge);
  }
  plan_->putInOrder();
  return std::unexpected(Stop::counted);
}

bool ReformatPass::stop(Stop why) {
  stop_ = why;
  return false;
}

// A direct pass that could not write the next event, one string of
// `stringBytes` at most, without growing its text, or whose keys' hashes
// take the rest of its room, leaves the text to be planned: each byte of a
// string takes six at most, a newline and its indentation two per level.
bool ReformatPass::makeRoomFor(std::size_t stringBytes) {
  constexpr std::size_t punctuationAndNumber = 48;
  if (mode_ != Mode::direct) return true;
  const auto needed = writer_.size() + keyHashes_.capacity() * sizeof(std::uint64_t) + 6 * stringBytes +
                      2 * open_.size() + punctuationAndNumber;
  return needed <= room_ || stop(Stop::needsPlan);
}

bool ReformatPass::settled() {
  if (writer_.isInvalid()) return stop(Stop::unwritable);
  if (mode_ != Mode::counting) return true;
  if (position() + plan_->bytes() + bookkeeping_ > maximumSize_) return stop(Stop::tooLarge);
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
  if (!makeRoomFor(text ? text->size() : 0)) return false;
  beginValue();
  writer_.writeScalar(value);
  return valueEnded(std::exchange(fillNext_, false));
}

bool ReformatPass::key(string_t& name) {
  if (skipping_ > 0) return true;
  auto& object = open_.back();
  ++object.members;
  if (object.planned) {
    if (const auto role = object.planned->roleOf(object.members - 1); role != PlannedRole::kept) {
      return writePlannedKey(object, name, role);
    }
  }
  if (!makeRoomFor(name.size())) return false;
  const auto memberStart = position();
  writer_.beginMember(object.empty, depth());
  object.empty = false;
  writer_.writeKey(name);
  if (mode_ == Mode::direct) keyHashes_.push_back(std::hash<std::string_view>{}(name));
  if (mode_ == Mode::counting) countKey(object, std::move(name), memberStart);
  return settled();
}

bool ReformatPass::open(char bracket) {
  const std::size_t number = bracket == '{' ? objects_++ : 0;
  if (skipping_ > 0 || std::exchange(skipNext_, false)) {
    ++skipping_;
    return true;
  }
  if (open_.size() == maximumJSONNesting) return stop(Stop::unwritable);
  if (!makeRoomFor(0)) return false;
  beginValue();
  writer_.openContainer(bracket);
  auto& container = open_.emplace_back(bracket == '{' ? '}' : ']');
  container.number = number;
  container.fillsSlot = std::exchange(fillNext_, false);
  container.firstHash = keyHashes_.size();
  if (mode_ == Mode::planned && bracket == '{') container.planned = plan_->object(number);
  return settled();
}

bool ReformatPass::close() {
  if (skipping_ > 0) {
    --skipping_;
    return true;
  }
  if (!makeRoomFor(0)) return false;
  auto container = std::move(open_.back());
  open_.pop_back();
  writer_.closeContainer(container.closing, container.empty, depth());
  if (container.closing == '}' && mode_ == Mode::direct && !closeDirectObject(container)) return false;
  if (mode_ == Mode::counting) {
    if (container.closing == '}') closeCountedObject(container);
    auto& held = open_.empty() ? heldWhenWritten_ : open_.back().heldWhenWritten;
    held = std::max(held, container.heldWhenWritten);
  }
  return valueEnded(container.fillsSlot);
}

// Two keys of an object with the same hash may be the same key: the text is
// then planned, which compares the keys themselves.
bool ReformatPass::closeDirectObject(const Container& object) {
  const auto hashes = std::ranges::subrange(keyHashes_.begin() + static_cast<std::ptrdiff_t>(object.firstHash),
                                            keyHashes_.end());
  std::ranges::sort(hashes);
  const bool mayRepeat = std::ranges::adjacent_find(hashes) != hashes.end();
  keyHashes_.resize(object.firstHash);
  return !mayRepeat || stop(Stop::needsPlan);
}

// An object that repeats a key goes into the plan; writing it keeps its
// keys, and the value that counts apart from the text, while it is open.
void ReformatPass::closeCountedObject(Container& object) {
  bookkeeping_ -= object.bookkeeping;
  if (object.later.empty()) return;
  std::vector<RepeatedKey> keys;
  std::size_t largestValue = 0;
  object.keys.forEachRepeated([&](const KeyCount& count) {
    keys.push_back({count.firstMember, count.lastMember, count.valueSize});
    largestValue = std::max(largestValue, count.valueSize);
  });
  std::ranges::sort(keys, {}, &RepeatedKey::firstMember);
  plan_->addObject(object.number, keys, object.later);
  object.heldWhenWritten += ReformatPlan::bytesWhileOpen(keys.size()) + largestValue;
}

bool ReformatPass::valueEnded(bool fillsSlot) {
  if (fillsSlot) endFill();
  if (mode_ == Mode::counting && !open_.empty() && open_.back().closing == '}') countMember(open_.back());
  return settled();
}

void ReformatPass::countKey(Container& object, std::string name, std::size_t memberStart) {
  const auto member = object.members - 1;
  auto& count = object.keys[std::move(name)];
  if (++count.occurrences == 1) {
    count.firstMember = member;
  } else {
    object.later.add(member, count.firstMember);
  }
  count.lastMember = member;
  object.current = &count;
  object.memberStart = memberStart;
  object.valueStart = position();
  const auto bookkeeping = object.keys.bytes() + object.later.bytes();
  bookkeeping_ += bookkeeping - object.bookkeeping;
  object.bookkeeping = bookkeeping;
}

// A member whose key came before leaves the text: its value takes the
// place of the earlier one's.
void ReformatPass::countMember(Container& object) {
  auto& key = *object.current;
  const auto valueSize = position() - object.valueStart;
  if (key.occurrences > 1) {
    counted_ = object.memberStart + valueSize - key.valueSize;
    writer_.discardText();
  }
  key.valueSize = valueSize;
}

// The first occurrence writes the member with room for the value that
// counts; the last one writes that value into the room.
bool ReformatPass::writePlannedKey(Container& object, std::string_view name, PlannedRole role) {
  auto& planned = *object.planned;
  switch (role) {
    case PlannedRole::holdsPlace:
      writer_.beginMember(object.empty, depth());
      object.empty = false;
      writer_.writeKey(name);
      planned.slotOfKey() = writer_.leaveSlot(planned.key().valueSize);
      skipNext_ = true;
      break;
    case PlannedRole::fillsPlace:
      beginFill(planned.slotOfKey(), planned.key().valueSize);
      break;
    default:
      skipNext_ = true;
      break;
  }
  return settled();
}

void ReformatPass::beginFill(std::size_t slot, std::size_t valueSize) {
  std::string value;
  value.reserve(valueSize);
  writer_.swapText(value);
  fills_.push_back({slot, std::move(value)});
  fillNext_ = true;
}

void ReformatPass::endFill() {
  auto fill = std::move(fills_.back());
  fills_.pop_back();
  writer_.swapText(fill.outer);
  writer_.fillSlot(fill.slot, fill.outer);
}

}  // namespace platform::detail
