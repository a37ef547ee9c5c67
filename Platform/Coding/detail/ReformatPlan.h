#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// A key an object writes more than once. The tree keeps its last value, at
// the place of the first; the other occurrences are dropped with their
// values. Members are numbered within their object in reading order.
struct RepeatedKey {
  std::size_t firstMember = 0;
  std::size_t lastMember = 0;
  // The written size of the value that counts: the last one.
  std::size_t valueSize = 0;
};

// The occurrences after the first of an object's repeated keys, in reading
// order, packed as they are met: a body of tiny objects that each repeat a
// key must not cost more to plan than its own size.
class LaterOccurrences {
 public:
  void add(std::size_t member, std::size_t firstMember);
  bool empty() const { return count_ == 0; }
  std::size_t bytes() const { return packed_.empty() ? 0 : packed_.capacity(); }

 private:
  friend class ReformatPlan;
  std::string packed_;
  std::size_t count_ = 0;
  std::size_t lastMember_ = 0;
};

// How the writing pass treats one member of an object that repeats a key.
enum class PlannedRole {
  // Written as read.
  kept,
  // The first occurrence of a repeated key: its key, then room for the
  // value that counts; its own value is dropped.
  holdsPlace,
  dropped,
  // The last occurrence: its value goes into the first one's room.
  fillsPlace,
};

// What the writing pass keeps of an object that repeats a key while it is
// open: the keys and where their values go.
class PlannedObject {
 public:
  PlannedRole roleOf(std::size_t member);
  // The key whose member roleOf() last named, other than kept.
  RepeatedKey& key() { return *current_; }
  std::size_t& slotOfKey() { return slots_[static_cast<std::size_t>(current_ - keys_.data())]; }

 private:
  friend class ReformatPlan;
  std::vector<RepeatedKey> keys_;
  std::vector<std::size_t> slots_;
  std::size_t nextFirst_ = 0;
  const char* later_ = nullptr;
  std::size_t laterLeft_ = 0;
  std::size_t nextLater_ = 0;
  std::size_t nextLaterFirst_ = 0;
  RepeatedKey* current_ = nullptr;
};

// What counting a JSON text tells the pass that then writes it: its size
// and, packed, the objects that repeat a key.
class ReformatPlan {
 public:
  std::size_t textSize = 0;

  // Objects are added as counting closes them; `keys` in the order of
  // their first members.
  void addObject(std::size_t number, const std::vector<RepeatedKey>& keys, const LaterOccurrences& later);
  // The memory the plan holds, and what writing it needs of each object
  // open at once at most.
  std::size_t bytes() const { return packed_.empty() ? 0 : packed_.capacity(); }
  static std::size_t bytesWhileOpen(std::size_t repeatedKeys);
  // What putInOrder() takes on top of the plan, and that: objects are
  // written in the order they open, which is the order they close in
  // unless one that repeats a key holds another.
  std::size_t bytesToPutInOrder() const;
  void putInOrder();

  // The object numbered `number` among all objects of the text in reading
  // order, if it repeats a key. Asked in rising order; the objects passed
  // by are never asked for, being inside dropped values.
  std::optional<PlannedObject> object(std::size_t number);

 private:
  struct Header;
  Header readHeader(std::size_t at, std::size_t previousNumber) const;

  std::string packed_;
  std::size_t objects_ = 0;
  std::size_t lastNumber_ = 0;
  bool ordered_ = true;
  // Reading: where the next object starts, and its number.
  std::size_t readAt_ = 0;
  std::size_t readNumber_ = 0;
};

}  // namespace platform::detail
