#include "Platform/Coding/detail/ReformatPlan.h"

#include <algorithm>
#include <cstdint>

namespace platform::detail {

// An object of the plan: the change of its number from the one before, the
// length of the rest, its keys (each first member as a step from the key
// before, the last member as a step from the first, the value's size), and
// the later occurrences (a step from the one before, a step back to the
// key's first member). Numbers take seven bits a byte.
namespace {

void put(std::string& packed, std::uint64_t number) {
  while (number >= 0x80) {
    packed += static_cast<char>((number & 0x7f) | 0x80);
    number >>= 7;
  }
  packed += static_cast<char>(number);
}

std::uint64_t take(const char*& at) {
  std::uint64_t number = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*at++);
    number |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
    if (byte < 0x80) return number;
  }
}

// A change of number either way, small either way.
std::uint64_t zigzag(std::size_t from, std::size_t to) {
  return to >= from ? 2 * (to - from) : 2 * (from - to) - 1;
}
std::size_t unzigzag(std::size_t from, std::uint64_t change) {
  return change % 2 == 0 ? from + change / 2 : from - (change + 1) / 2;
}

}  // namespace

void LaterOccurrences::add(std::size_t member, std::size_t firstMember) {
  put(packed_, member - lastMember_);
  put(packed_, member - firstMember);
  lastMember_ = member;
  ++count_;
}

PlannedRole PlannedObject::roleOf(std::size_t member) {
  if (nextFirst_ < keys_.size() && keys_[nextFirst_].firstMember == member) {
    current_ = &keys_[nextFirst_++];
    return PlannedRole::holdsPlace;
  }
  if (laterLeft_ == 0 || nextLater_ != member) return PlannedRole::kept;
  const auto first = std::ranges::lower_bound(keys_, nextLaterFirst_, {}, &RepeatedKey::firstMember);
  current_ = &*first;
  if (--laterLeft_ > 0) {
    nextLater_ += take(later_);
    nextLaterFirst_ = nextLater_ - take(later_);
  }
  return member == current_->lastMember ? PlannedRole::fillsPlace : PlannedRole::dropped;
}

struct ReformatPlan::Header {
  std::size_t number;
  // Where the rest starts and ends.
  std::size_t begin;
  std::size_t end;
};

void ReformatPlan::addObject(std::size_t number, const std::vector<RepeatedKey>& keys, const LaterOccurrences& later) {
  std::string rest;
  put(rest, keys.size());
  std::size_t previousFirst = 0;
  for (const auto& key : keys) {
    put(rest, key.firstMember - previousFirst);
    put(rest, key.lastMember - key.firstMember);
    put(rest, key.valueSize);
    previousFirst = key.firstMember;
  }
  put(rest, later.count_);
  put(packed_, zigzag(lastNumber_, number));
  put(packed_, rest.size() + later.packed_.size());
  packed_ += rest;
  packed_ += later.packed_;
  ordered_ = ordered_ && (objects_ == 0 || number > lastNumber_);
  lastNumber_ = number;
  ++objects_;
}

std::size_t ReformatPlan::bytesWhileOpen(std::size_t repeatedKeys) {
  return repeatedKeys * (sizeof(RepeatedKey) + sizeof(std::size_t));
}

ReformatPlan::Header ReformatPlan::readHeader(std::size_t at, std::size_t previousNumber) const {
  const char* cursor = packed_.data() + at;
  const auto number = unzigzag(previousNumber, take(cursor));
  const auto length = take(cursor);
  const auto begin = static_cast<std::size_t>(cursor - packed_.data());
  return {number, begin, begin + length};
}

std::size_t ReformatPlan::bytesToPutInOrder() const {
  return ordered_ ? 0 : packed_.size() + objects_ * sizeof(Header);
}

void ReformatPlan::putInOrder() {
  if (ordered_) return;
  std::vector<Header> headers;
  headers.reserve(objects_);
  std::size_t number = 0;
  for (std::size_t at = 0; at < packed_.size(); at = headers.back().end) {
    headers.push_back(readHeader(at, number));
    number = headers.back().number;
  }
  std::ranges::stable_sort(headers, {}, &Header::number);
  std::string ordered;
  ordered.reserve(packed_.size());
  number = 0;
  for (const auto& header : headers) {
    put(ordered, zigzag(number, header.number));
    put(ordered, header.end - header.begin);
    ordered.append(packed_, header.begin, header.end - header.begin);
    number = header.number;
  }
  packed_ = std::move(ordered);
  ordered_ = true;
}

std::optional<PlannedObject> ReformatPlan::object(std::size_t number) {
  while (readAt_ < packed_.size()) {
    const auto header = readHeader(readAt_, readNumber_);
    if (header.number > number) return std::nullopt;
    readAt_ = header.end;
    readNumber_ = header.number;
    if (header.number < number) continue;
    PlannedObject object;
    const char* cursor = packed_.data() + header.begin;
    object.keys_.resize(take(cursor));
    std::size_t first = 0;
    for (auto& key : object.keys_) {
      first += take(cursor);
      key.firstMember = first;
      key.lastMember = first + take(cursor);
      key.valueSize = take(cursor);
    }
    object.slots_.resize(object.keys_.size());
    object.laterLeft_ = take(cursor);
    if (object.laterLeft_ > 0) {
      object.nextLater_ = take(cursor);
      object.nextLaterFirst_ = object.nextLater_ - take(cursor);
    }
    object.later_ = cursor;
    return object;
  }
  return std::nullopt;
}

}  // namespace platform::detail
