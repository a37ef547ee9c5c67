#include <fmt/format.h>
#include <gtest/gtest.h>

#include "Platform/Coding/Codable.h"

using namespace platform;

// An encoder of another format over the same protocol: it writes one line
// "path=text" per scalar, as a form encoder would, and records absent
// optional fields. It checks that the standard conformances and the
// record-field helper speak through the protocol as such encoders expect.
namespace {

using Lines = std::vector<std::string>;

struct Sink {
  Lines lines;
  void write(const CodingPath& path, const std::string& text) { lines.push_back(describe(path) + "=" + text); }
};

template <class Value>
std::string text(const Value& value) {
  if constexpr (std::is_same_v<Value, bool>) return value ? "true" : "false";
  else return fmt::format("{}", value);
}

class LineEncoder;

class LineSingleValue final : public SingleValueEncodingContainer {
 public:
  LineSingleValue(Sink& sink, CodingPath path) : sink_(sink), path_(std::move(path)) {}
  const CodingPath& codingPath() const override { return path_; }
  void encodeNil() override { sink_.write(path_, "null"); }
  void encode(bool value) override { sink_.write(path_, text(value)); }
  void encode(const std::string& value) override { sink_.write(path_, value); }
  void encode(double value) override { sink_.write(path_, text(value)); }
  void encode(float value) override { sink_.write(path_, text(value)); }
  void encode(std::int64_t value) override { sink_.write(path_, text(value)); }
  void encode(std::uint64_t value) override { sink_.write(path_, text(value)); }
  void encode(EncodableRef value) override;

 private:
  Sink& sink_;
  CodingPath path_;
};

class LineKeyed final : public KeyedEncodingContainer {
 public:
  LineKeyed(Sink& sink, CodingPath path) : sink_(sink), path_(std::move(path)) {}
  const CodingPath& codingPath() const override { return path_; }
  void encodeNil(const CodingKey& key) override { at(key).encodeNil(); }
  void encode(bool value, const CodingKey& key) override { at(key).encode(value); }
  void encode(const std::string& value, const CodingKey& key) override { at(key).encode(value); }
  void encode(double value, const CodingKey& key) override { at(key).encode(value); }
  void encode(float value, const CodingKey& key) override { at(key).encode(value); }
  void encode(std::int64_t value, const CodingKey& key) override { at(key).encode(value); }
  void encode(std::uint64_t value, const CodingKey& key) override { at(key).encode(value); }
  void encode(EncodableRef value, const CodingKey& key) override { at(key).encode(value); }
  void encodeAbsent(const CodingKey& key) override { sink_.write(appending(path_, key), "<absent>"); }
  std::shared_ptr<KeyedEncodingContainer> nestedContainer(const CodingKey& key) override {
    return std::make_shared<LineKeyed>(sink_, appending(path_, key));
  }
  std::shared_ptr<UnkeyedEncodingContainer> nestedUnkeyedContainer(const CodingKey& key) override;
  std::shared_ptr<Encoder> superEncoder() override;
  std::shared_ptr<Encoder> superEncoder(const CodingKey& key) override;

 private:
  LineSingleValue at(const CodingKey& key) { return LineSingleValue(sink_, appending(path_, key)); }
  Sink& sink_;
  CodingPath path_;
};

class LineUnkeyed final : public UnkeyedEncodingContainer {
 public:
  LineUnkeyed(Sink& sink, CodingPath path) : sink_(sink), path_(std::move(path)) {}
  const CodingPath& codingPath() const override { return path_; }
  std::int64_t count() const override { return count_; }
  void encodeNil() override { next().encodeNil(); }
  void encode(bool value) override { next().encode(value); }
  void encode(const std::string& value) override { next().encode(value); }
  void encode(double value) override { next().encode(value); }
  void encode(float value) override { next().encode(value); }
  void encode(std::int64_t value) override { next().encode(value); }
  void encode(std::uint64_t value) override { next().encode(value); }
  void encode(EncodableRef value) override { next().encode(value); }
  std::shared_ptr<KeyedEncodingContainer> nestedContainer() override {
    return std::make_shared<LineKeyed>(sink_, appending(path_, CodingKey::index(count_++)));
  }
  std::shared_ptr<UnkeyedEncodingContainer> nestedUnkeyedContainer() override {
    return std::make_shared<LineUnkeyed>(sink_, appending(path_, CodingKey::index(count_++)));
  }
  std::shared_ptr<Encoder> superEncoder() override;

 private:
  LineSingleValue next() { return LineSingleValue(sink_, appending(path_, CodingKey::index(count_++))); }
  Sink& sink_;
  CodingPath path_;
  std::int64_t count_ = 0;
};

class LineEncoder final : public Encoder {
 public:
  LineEncoder(Sink& sink, CodingPath path) : sink_(sink), path_(std::move(path)) {}
  const CodingPath& codingPath() const override { return path_; }
  const CodingUserInfo& userInfo() const override { return userInfo_; }
  std::shared_ptr<KeyedEncodingContainer> container() override { return std::make_shared<LineKeyed>(sink_, path_); }
  std::shared_ptr<UnkeyedEncodingContainer> unkeyedContainer() override { return std::make_shared<LineUnkeyed>(sink_, path_); }
  std::shared_ptr<SingleValueEncodingContainer> singleValueContainer() override {
    return std::make_shared<LineSingleValue>(sink_, path_);
  }

 private:
  Sink& sink_;
  CodingPath path_;
  CodingUserInfo userInfo_;
};

void LineSingleValue::encode(EncodableRef value) {
  // Treats dates specially, as encoders with date options do.
  if (const auto* date = value.as<Date>()) return sink_.write(path_, fmt::format("date {}", date->timeIntervalSince1970));
  LineEncoder nested(sink_, path_);
  value.encode(nested);
}

std::shared_ptr<UnkeyedEncodingContainer> LineKeyed::nestedUnkeyedContainer(const CodingKey& key) {
  return std::make_shared<LineUnkeyed>(sink_, appending(path_, key));
}
// Like a form encoder: the base part is written at the container's own path.
std::shared_ptr<Encoder> LineKeyed::superEncoder() { return std::make_shared<LineEncoder>(sink_, path_); }
std::shared_ptr<Encoder> LineKeyed::superEncoder(const CodingKey& key) {
  return std::make_shared<LineEncoder>(sink_, appending(path_, key));
}
std::shared_ptr<Encoder> LineUnkeyed::superEncoder() {
  return std::make_shared<LineEncoder>(sink_, appending(path_, CodingKey::index(count_++)));
}

template <Encodable T>
Lines linesOf(const T& value) {
  Sink sink;
  LineEncoder encoder(sink, {});
  encodeValue(value, encoder);
  return sink.lines;
}

struct Profile {
  std::string name;
  std::optional<int> age;
  std::vector<std::optional<std::string>> aliases;
  std::map<int, bool> seen;
  Date since;
  Data key;
  static constexpr auto codingFields() {
    return std::tuple{field("name", &Profile::name), field("age", &Profile::age), field("aliases", &Profile::aliases),
                      field("seen", &Profile::seen), field("since", &Profile::since), field("key", &Profile::key)};
  }
};

struct Derived {
  Profile base;
  bool flag = false;
  void encode(Encoder& encoder) const {
    auto container = encoder.container();
    container->encode(flag, "flag");
    encodeValue(base, *container->superEncoder());
  }
};

}  // namespace

TEST(CodingProtocol, StandardValuesSpeakThroughTheContainersOfAnyEncoder) {
  const Profile profile{"Ann", std::nullopt, {"a", std::nullopt}, {{7, true}}, Date{5}, Data("\x01\x02", 2)};
  EXPECT_EQ(linesOf(profile), (Lines{"name=Ann", "age=<absent>", "aliases[0]=a", "aliases[1]=null", "seen[7]=true",
                                     "since=date 5", "key[0]=1", "key[1]=2"}));
}

TEST(CodingProtocol, ADateOutsideAnEncoderThatKnowsDatesWritesSecondsSinceTheReferenceDate) {
  EXPECT_EQ(linesOf(std::vector<std::vector<Date>>{{Date::fromTimeIntervalSinceReferenceDate(2.5)}}), (Lines{"[0][0]=date 978307202.5"}));
  Sink sink;
  LineEncoder encoder(sink, {CodingKey("at")});
  CodingTraits<Date>::encode(Date::fromTimeIntervalSinceReferenceDate(2.5), encoder);
  EXPECT_EQ(sink.lines, (Lines{"at=2.5"}));
}

TEST(CodingProtocol, SuperEncoderPlacementIsTheEncodersChoice) {
  const Derived derived{Profile{"B", 3, {}, {}, Date{0}, Data()}, true};
  EXPECT_EQ(linesOf(derived), (Lines{"flag=true", "name=B", "age=3", "since=date 0"}));
}

TEST(CodingProtocol, CodingKeysAndPaths) {
  EXPECT_EQ(CodingKey(std::int64_t{12}).stringValue, "12");
  EXPECT_EQ(CodingKey::index(3), CodingKey("3", 3));
  EXPECT_NE(CodingKey("3"), CodingKey::index(3));
  EXPECT_EQ(describe({}), "the top level");
  EXPECT_EQ(describe({CodingKey::index(0), CodingKey("a"), CodingKey("b"), CodingKey::index(2)}), "[0].a.b[2]");
}
