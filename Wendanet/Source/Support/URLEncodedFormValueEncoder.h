#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Platform/Coding/Encoder.h"
#include "Wendanet/Source/Support/FormEncodingOptions.h"
#include "Wendanet/Source/Support/URLEncodedFormComponent.h"

namespace wendanet {

// The first stage of form encoding: an Encoder whose containers write
// every scalar as text into the shared component tree, at the container's
// coding path. Booleans, dates, byte buffers and absent values become text
// here. Creating a container writes nothing, so a list or record that
// encodes nothing leaves no trace.
class URLEncodedFormValueEncoder final : public platform::Encoder {
 public:
  struct Options {
    BoolEncoding boolEncoding;
    DataEncoding dataEncoding;
    DateEncoding dateEncoding;
    NilEncoding nilEncoding;
  };
  class KeyedContainer;
  class UnkeyedContainer;
  class SingleValueContainer;

  URLEncodedFormValueEncoder(platform::CodingPath codingPath, std::shared_ptr<URLEncodedFormContext> context,
                             std::shared_ptr<const Options> options);

  const platform::CodingPath& codingPath() const override { return codingPath_; }
  // Always empty.
  const platform::CodingUserInfo& userInfo() const override;
  std::shared_ptr<platform::KeyedEncodingContainer> container() override;
  std::shared_ptr<platform::UnkeyedEncodingContainer> unkeyedContainer() override;
  std::shared_ptr<platform::SingleValueEncodingContainer> singleValueContainer() override;

 private:
  platform::CodingPath codingPath_;
  std::shared_ptr<URLEncodedFormContext> context_;
  std::shared_ptr<const Options> options_;
};

// Every value goes through a single-value container one key deeper; an
// absent optional goes through encodeNil, so the nil encoding decides.
class URLEncodedFormValueEncoder::KeyedContainer final : public platform::KeyedEncodingContainer {
 public:
  KeyedContainer(platform::CodingPath codingPath, std::shared_ptr<URLEncodedFormContext> context,
                 std::shared_ptr<const Options> options);

  const platform::CodingPath& codingPath() const override { return codingPath_; }
  void encodeNil(const platform::CodingKey& key) override;
  void encode(bool value, const platform::CodingKey& key) override { encodeAt(key, value); }
  void encode(const std::string& value, const platform::CodingKey& key) override { encodeAt(key, value); }
  void encode(double value, const platform::CodingKey& key) override { encodeAt(key, value); }
  void encode(float value, const platform::CodingKey& key) override { encodeAt(key, value); }
  void encode(std::int64_t value, const platform::CodingKey& key) override { encodeAt(key, value); }
  void encode(std::uint64_t value, const platform::CodingKey& key) override { encodeAt(key, value); }
  void encode(platform::EncodableRef value, const platform::CodingKey& key) override { encodeAt(key, value); }
  void encodeAbsent(const platform::CodingKey& key) override { encodeNil(key); }
  std::shared_ptr<platform::KeyedEncodingContainer> nestedContainer(const platform::CodingKey& key) override;
  std::shared_ptr<platform::UnkeyedEncodingContainer> nestedUnkeyedContainer(const platform::CodingKey& key) override;
  // At this container's own path: the base part's fields are not nested.
  std::shared_ptr<platform::Encoder> superEncoder() override;
  std::shared_ptr<platform::Encoder> superEncoder(const platform::CodingKey& key) override;

  using platform::KeyedEncodingContainer::encode;

 private:
  template <class Value>
  void encodeAt(const platform::CodingKey& key, const Value& value);

  platform::CodingPath codingPath_;
  std::shared_ptr<URLEncodedFormContext> context_;
  std::shared_ptr<const Options> options_;
};

// Each element takes the next position; an absent element under a nil
// encoding that drops the key takes none.
class URLEncodedFormValueEncoder::UnkeyedContainer final : public platform::UnkeyedEncodingContainer {
 public:
  UnkeyedContainer(platform::CodingPath codingPath, std::shared_ptr<URLEncodedFormContext> context,
                   std::shared_ptr<const Options> options);

  const platform::CodingPath& codingPath() const override { return codingPath_; }
  std::int64_t count() const override { return count_; }
  void encodeNil() override;
  void encode(bool value) override { encodeNext(value); }
  void encode(const std::string& value) override { encodeNext(value); }
  void encode(double value) override { encodeNext(value); }
  void encode(float value) override { encodeNext(value); }
  void encode(std::int64_t value) override { encodeNext(value); }
  void encode(std::uint64_t value) override { encodeNext(value); }
  void encode(platform::EncodableRef value) override { encodeNext(value); }
  std::shared_ptr<platform::KeyedEncodingContainer> nestedContainer() override;
  std::shared_ptr<platform::UnkeyedEncodingContainer> nestedUnkeyedContainer() override;
  // At this container's own path; a position is still taken.
  std::shared_ptr<platform::Encoder> superEncoder() override;

  using platform::UnkeyedEncodingContainer::encode;

 private:
  platform::CodingPath nextPath();
  template <class Value>
  void encodeNext(const Value& value);

  platform::CodingPath codingPath_;
  std::int64_t count_ = 0;
  std::shared_ptr<URLEncodedFormContext> context_;
  std::shared_ptr<const Options> options_;
};

// Stores one text at its path; a second value is refused with an
// EncodingError and the tree keeps the first.
class URLEncodedFormValueEncoder::SingleValueContainer final : public platform::SingleValueEncodingContainer {
 public:
  SingleValueContainer(platform::CodingPath codingPath, std::shared_ptr<URLEncodedFormContext> context,
                       std::shared_ptr<const Options> options);

  const platform::CodingPath& codingPath() const override { return codingPath_; }
  bool canEncodeNewValue() const { return canEncodeNewValue_; }
  void encodeNil() override;
  void encode(bool value) override;
  void encode(const std::string& value) override { store(value); }
  void encode(double value) override;
  void encode(float value) override;
  void encode(std::int64_t value) override { store(std::to_string(value)); }
  void encode(std::uint64_t value) override { store(std::to_string(value)); }
  // Dates and byte buffers by their encodings (or their own encoding when
  // deferred); anything else by its own encoding at this path.
  void encode(platform::EncodableRef value) override;

  using platform::SingleValueEncodingContainer::encode;

 private:
  void requireNoValue(const std::string& valueDescription) const;
  void store(std::string text);
  void encodeNested(platform::EncodableRef value);

  platform::CodingPath codingPath_;
  bool canEncodeNewValue_ = true;
  std::shared_ptr<URLEncodedFormContext> context_;
  std::shared_ptr<const Options> options_;
};

}  // namespace wendanet
