#include "Wendanet/Source/Support/URLEncodedFormValueEncoder.h"

#include <limits>

#include "Platform/Coding/EncodingError.h"
#include "Platform/Fatal.h"
#include "Platform/Foundation/NumberText.h"

namespace wendanet {

using platform::CodingKey;
using platform::CodingPath;

URLEncodedFormValueEncoder::URLEncodedFormValueEncoder(CodingPath codingPath,
                                                       std::shared_ptr<URLEncodedFormContext> context,
                                                       std::shared_ptr<const Options> options)
    : codingPath_(std::move(codingPath)), context_(std::move(context)), options_(std::move(options)) {}

const platform::CodingUserInfo& URLEncodedFormValueEncoder::userInfo() const {
  static const platform::CodingUserInfo empty;
  return empty;
}

std::shared_ptr<platform::KeyedEncodingContainer> URLEncodedFormValueEncoder::container() {
  return std::make_shared<KeyedContainer>(codingPath_, context_, options_);
}

std::shared_ptr<platform::UnkeyedEncodingContainer> URLEncodedFormValueEncoder::unkeyedContainer() {
  return std::make_shared<UnkeyedContainer>(codingPath_, context_, options_);
}

std::shared_ptr<platform::SingleValueEncodingContainer> URLEncodedFormValueEncoder::singleValueContainer() {
  return std::make_shared<SingleValueContainer>(codingPath_, context_, options_);
}

// Keyed container.

URLEncodedFormValueEncoder::KeyedContainer::KeyedContainer(CodingPath codingPath,
                                                           std::shared_ptr<URLEncodedFormContext> context,
                                                           std::shared_ptr<const Options> options)
    : codingPath_(std::move(codingPath)), context_(std::move(context)), options_(std::move(options)) {}

template <class Value>
void URLEncodedFormValueEncoder::KeyedContainer::encodeAt(const CodingKey& key, const Value& value) {
  SingleValueContainer(platform::appending(codingPath_, key), context_, options_).encode(value);
}

void URLEncodedFormValueEncoder::KeyedContainer::encodeNil(const CodingKey& key) {
  if (const auto text = options_->nilEncoding.encodeNil()) encodeAt(key, *text);
}

std::shared_ptr<platform::KeyedEncodingContainer> URLEncodedFormValueEncoder::KeyedContainer::nestedContainer(
    const CodingKey& key) {
  return std::make_shared<KeyedContainer>(platform::appending(codingPath_, key), context_, options_);
}

std::shared_ptr<platform::UnkeyedEncodingContainer> URLEncodedFormValueEncoder::KeyedContainer::nestedUnkeyedContainer(
    const CodingKey& key) {
  return std::make_shared<UnkeyedContainer>(platform::appending(codingPath_, key), context_, options_);
}

std::shared_ptr<platform::Encoder> URLEncodedFormValueEncoder::KeyedContainer::superEncoder() {
  return std::make_shared<URLEncodedFormValueEncoder>(codingPath_, context_, options_);
}

std::shared_ptr<platform::Encoder> URLEncodedFormValueEncoder::KeyedContainer::superEncoder(const CodingKey& key) {
  return std::make_shared<URLEncodedFormValueEncoder>(platform::appending(codingPath_, key), context_, options_);
}

// Unkeyed container.

URLEncodedFormValueEncoder::UnkeyedContainer::UnkeyedContainer(CodingPath codingPath,
                                                               std::shared_ptr<URLEncodedFormContext> context,
                                                               std::shared_ptr<const Options> options)
    : codingPath_(std::move(codingPath)), context_(std::move(context)), options_(std::move(options)) {}

CodingPath URLEncodedFormValueEncoder::UnkeyedContainer::nextPath() {
  if (count_ == std::numeric_limits<std::int64_t>::max()) platform::fatal("Unkeyed container count overflowed.");
  return platform::appending(codingPath_, CodingKey::index(count_++));
}

template <class Value>
void URLEncodedFormValueEncoder::UnkeyedContainer::encodeNext(const Value& value) {
  SingleValueContainer(nextPath(), context_, options_).encode(value);
}

void URLEncodedFormValueEncoder::UnkeyedContainer::encodeNil() {
  if (const auto text = options_->nilEncoding.encodeNil()) encodeNext(*text);
}

std::shared_ptr<platform::KeyedEncodingContainer> URLEncodedFormValueEncoder::UnkeyedContainer::nestedContainer() {
  return std::make_shared<KeyedContainer>(nextPath(), context_, options_);
}

std::shared_ptr<platform::UnkeyedEncodingContainer>
URLEncodedFormValueEncoder::UnkeyedContainer::nestedUnkeyedContainer() {
  return std::make_shared<UnkeyedContainer>(nextPath(), context_, options_);
}

std::shared_ptr<platform::Encoder> URLEncodedFormValueEncoder::UnkeyedContainer::superEncoder() {
  nextPath();
  return std::make_shared<URLEncodedFormValueEncoder>(codingPath_, context_, options_);
}

// Single-value container.

URLEncodedFormValueEncoder::SingleValueContainer::SingleValueContainer(CodingPath codingPath,
                                                                       std::shared_ptr<URLEncodedFormContext> context,
                                                                       std::shared_ptr<const Options> options)
    : codingPath_(std::move(codingPath)), context_(std::move(context)), options_(std::move(options)) {}

void URLEncodedFormValueEncoder::SingleValueContainer::requireNoValue(const std::string& valueDescription) const {
  if (canEncodeNewValue_) return;
  throw platform::EncodingError::invalidValue(
      valueDescription,
      {codingPath_, "Attempt to encode value through single value container when previously value already encoded.",
       nullptr});
}

void URLEncodedFormValueEncoder::SingleValueContainer::store(std::string text) {
  requireNoValue(text);
  context_->component.set(URLEncodedFormComponent::string(std::move(text)), codingPath_);
  canEncodeNewValue_ = false;
}

void URLEncodedFormValueEncoder::SingleValueContainer::encodeNested(platform::EncodableRef value) {
  requireNoValue("value");
  URLEncodedFormValueEncoder encoder(codingPath_, context_, options_);
  value.encode(encoder);
  canEncodeNewValue_ = false;
}

void URLEncodedFormValueEncoder::SingleValueContainer::encodeNil() {
  if (auto text = options_->nilEncoding.encodeNil()) store(std::move(*text));
}

void URLEncodedFormValueEncoder::SingleValueContainer::encode(bool value) {
  store(std::string(options_->boolEncoding.encode(value)));
}

void URLEncodedFormValueEncoder::SingleValueContainer::encode(double value) { store(platform::numberText(value)); }

void URLEncodedFormValueEncoder::SingleValueContainer::encode(float value) { store(platform::numberText(value)); }

void URLEncodedFormValueEncoder::SingleValueContainer::encode(platform::EncodableRef value) {
  std::optional<std::string> text;
  if (const auto* date = value.as<platform::Date>()) {
    text = options_->dateEncoding.encode(*date, codingPath_);
  } else if (const auto* data = value.as<platform::Data>()) {
    text = options_->dataEncoding.encode(*data);
  }
  if (text) {
    store(std::move(*text));
  } else {
    encodeNested(value);
  }
}

}  // namespace wendanet
