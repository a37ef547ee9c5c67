#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "Platform/Coding/JSONDecoder.h"
#include "Platform/Coding/JSONEncoder.h"

using namespace platform;

namespace {

struct Address {
  std::string city;
  std::optional<std::string> zip;
  static constexpr auto codingFields() { return std::tuple{field("city", &Address::city), field("zip", &Address::zip)}; }
  friend bool operator==(const Address&, const Address&) = default;
};

struct User {
  std::string name;
  std::int32_t age = 0;
  std::optional<std::string> nickname;
  std::vector<std::string> tags;
  Address address;
  std::vector<Address> previous;
  Date joined;
  Data avatar;
  std::map<std::string, double> scores;
  std::map<int, bool> flags;
  static constexpr auto codingFields() {
    return std::tuple{field("name", &User::name),         field("age", &User::age),
                      field("nickname", &User::nickname), field("tags", &User::tags),
                      field("address", &User::address),   field("previous", &User::previous),
                      field("joined", &User::joined),     field("avatar", &User::avatar),
                      field("scores", &User::scores),     field("flags", &User::flags)};
  }
  friend bool operator==(const User&, const User&) = default;
};

struct Account {
  User user;
  static constexpr auto codingFields() { return std::tuple{field("user", &Account::user)}; }
};

struct Stamp {
  Date at;
  static constexpr auto codingFields() { return std::tuple{field("at", &Stamp::at)}; }
};

struct Blob {
  Data bytes;
  static constexpr auto codingFields() { return std::tuple{field("bytes", &Blob::bytes)}; }
};

User sampleUser() {
  return User{"Ada",
              36,
              std::nullopt,
              {"math", "engines"},
              {"London", "NW1"},
              {{"Paris", std::nullopt}},
              Date::fromTimeIntervalSinceReferenceDate(1.5),
              Data("\x01\x02\x03"),
              {{"chess", 0.5}},
              {{2, true}, {1, false}}};
}

std::string encoded(const JSONEncoder& encoder, EncodableRef value) { return encoder.encode(value).toString(); }

template <class T>
T decoded(std::string_view text, const JSONDecoder& decoder = {}) {
  return decoder.decode<T>(Data(text));
}

template <class T>
DecodingError decodingError(std::string_view text, const JSONDecoder& decoder = {}) {
  try {
    decoded<T>(text, decoder);
  } catch (const DecodingError& error) {
    return error;
  }
  ADD_FAILURE() << "no error decoding " << text;
  return DecodingError::dataCorrupted({});
}

EncodingError encodingError(EncodableRef value, const JSONEncoder& encoder = {}) {
  try {
    encoder.encode(value);
  } catch (const EncodingError& error) {
    return error;
  }
  ADD_FAILURE() << "no error encoding";
  return EncodingError::invalidValue("", {});
}

}  // namespace

TEST(JSONCoding, RecordWithNestedOptionalArrayDateAndDataFieldsRoundTrips) {
  const User user = sampleUser();
  const std::string text = encoded(JSONEncoder(), user);
  EXPECT_EQ(text,
            R"({"name":"Ada","age":36,"tags":["math","engines"],"address":{"city":"London","zip":"NW1"},)"
            R"("previous":[{"city":"Paris"}],"joined":1.5,"avatar":"AQID","scores":{"chess":0.5},)"
            R"("flags":{"1":false,"2":true}})");
  EXPECT_EQ(decoded<User>(text), user);

  User withNickname = user;
  withNickname.nickname = "Countess";
  EXPECT_EQ(decoded<User>(encoded(JSONEncoder(), withNickname)), withNickname);
}

TEST(JSONCoding, OutputFormattingApplies) {
  JSONEncoder encoder;
  const std::map<std::string, std::string> value{{"u", "http://x/y"}};
  encoder.outputFormatting = JSONEncoder::OutputFormatting::prettyPrinted;
  EXPECT_EQ(encoded(encoder, value), "{\n  \"u\" : \"http:\\/\\/x\\/y\"\n}");
  encoder.outputFormatting = JSONEncoder::OutputFormatting::withoutEscapingSlashes;
  EXPECT_EQ(encoded(encoder, value), R"({"u":"http://x/y"})");
  encoder.outputFormatting = JSONEncoder::OutputFormatting::sortedKeys;
  EXPECT_EQ(encoded(encoder, Address{"Rome", "00100"}), R"({"city":"Rome","zip":"00100"})");
  EXPECT_EQ(encoded(encoder, std::map<std::string, int>{}), "{}");
}

TEST(JSONCoding, TopLevelScalarsAndListsNeedNoWrapper) {
  EXPECT_EQ(encoded(JSONEncoder(), 42), "42");
  EXPECT_EQ(encoded(JSONEncoder(), std::string("a/b")), R"("a\/b")");
  EXPECT_EQ(encoded(JSONEncoder(), std::optional<int>()), "null");
  EXPECT_EQ(encoded(JSONEncoder(), std::vector<float>{0.1f, 2.0f}), "[0.1,2]");
  EXPECT_EQ(decoded<int>("42"), 42);
  EXPECT_EQ(decoded<std::optional<int>>("null"), std::nullopt);
  EXPECT_EQ(decoded<std::vector<std::optional<bool>>>("[true,null]"), (std::vector<std::optional<bool>>{true, std::nullopt}));
}

TEST(JSONCoding, IntegersKeepTheirFullRangeAndAreCheckedToFit) {
  const std::vector<std::uint64_t> big{std::numeric_limits<std::uint64_t>::max()};
  EXPECT_EQ(decoded<std::vector<std::uint64_t>>(encoded(JSONEncoder(), big)), big);
  const std::vector<std::int64_t> low{std::numeric_limits<std::int64_t>::min()};
  EXPECT_EQ(decoded<std::vector<std::int64_t>>(encoded(JSONEncoder(), low)), low);
  EXPECT_EQ(decoded<std::vector<int>>("[1e3, -2.0]"), (std::vector<int>{1000, -2}));

  for (const auto* text : {"[128]", "[-129]", "[1.5]", "[1e20]"}) {
    const auto error = decodingError<std::vector<std::int8_t>>(text);
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted) << text;
    EXPECT_EQ(describe(error.context().codingPath), "[0]") << text;
  }
  EXPECT_NE(decodingError<std::vector<std::uint16_t>>("[70000]").description().find("uint16_t"), std::string::npos);
  EXPECT_EQ(decodingError<std::vector<std::uint32_t>>("[-1]").kind(), DecodingError::Kind::dataCorrupted);
  EXPECT_EQ(decodingError<std::vector<float>>("[1e39]").kind(), DecodingError::Kind::dataCorrupted);
  EXPECT_EQ(decodingError<std::vector<bool>>("[1]").kind(), DecodingError::Kind::typeMismatch);
}

TEST(JSONCoding, TypeMismatchNamesTheCodingPath) {
  const auto error = decodingError<Account>(
      R"({"user":{"name":"A","age":1,"tags":["a",2],"address":{"city":"x"},"previous":[],"joined":0,)"
      R"("avatar":"","scores":{},"flags":{}}})");
  EXPECT_EQ(error.kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(describe(error.context().codingPath), "user.tags[1]");
  EXPECT_EQ(error.type(), "string");
  EXPECT_EQ(error.description(), "Type mismatch at user.tags[1]: Expected to decode string but found a number instead.");
  EXPECT_EQ(error.localizedDescription(), "The data couldn't be read because it isn't in the correct format.");
}

TEST(JSONCoding, MissingAndNullValuesAreReportedWithTheirPath) {
  const auto missing = decodingError<Address>(R"({"zip":"1"})");
  EXPECT_EQ(missing.kind(), DecodingError::Kind::keyNotFound);
  EXPECT_EQ(missing.key()->stringValue, "city");
  EXPECT_TRUE(missing.context().codingPath.empty());
  EXPECT_EQ(missing.description(), "Key not found at city: No value associated with key \"city\".");

  const auto null = decodingError<std::vector<Address>>(R"([{"city":null}])");
  EXPECT_EQ(null.kind(), DecodingError::Kind::valueNotFound);
  EXPECT_EQ(describe(null.context().codingPath), "[0].city");

  EXPECT_EQ(decodingError<Address>("[]").kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(decodingError<Address>("null").kind(), DecodingError::Kind::valueNotFound);
  EXPECT_EQ(decoded<Address>(R"({"city":"x","zip":null})"), (Address{"x", std::nullopt}));

  const auto notJSON = decodingError<Address>("{");
  EXPECT_EQ(notJSON.kind(), DecodingError::Kind::dataCorrupted);
  EXPECT_NE(dynamic_cast<const JSONSerializationError*>(notJSON.context().underlyingError.get()), nullptr);
  EXPECT_NE(notJSON.description().find("not valid JSON"), std::string::npos);
}

TEST(JSONCoding, MapsWithIntegerKeysWriteDecimalKeysAndRefuseOthers) {
  const std::map<std::int16_t, std::string> map{{-3, "c"}, {10, "a"}};
  const auto text = encoded(JSONEncoder(), map);
  EXPECT_EQ(text, R"({"-3":"c","10":"a"})");
  EXPECT_EQ((decoded<std::map<std::int16_t, std::string>>(text)), map);
  const auto error = decodingError<std::map<int, int>>(R"({"1":1,"x":2})");
  EXPECT_EQ(error.kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(describe(error.context().codingPath), "x");
  EXPECT_EQ((decodingError<std::map<std::int8_t, int>>(R"({"300":1})").kind()), DecodingError::Kind::typeMismatch);
}

TEST(JSONCoding, DateStrategies) {
  const Stamp stamp{Date{978307200.75}};
  JSONEncoder encoder;
  JSONDecoder decoder;
  const auto roundTrip = [&](JSONEncoder::DateEncodingStrategy encoding, JSONDecoder::DateDecodingStrategy decoding) {
    encoder.dateEncodingStrategy = std::move(encoding);
    decoder.dateDecodingStrategy = std::move(decoding);
    const auto text = encoded(encoder, stamp);
    return std::pair{text, decoded<Stamp>(text, decoder).at};
  };
  EXPECT_EQ(roundTrip(JSONEncoder::DateEncodingStrategy::deferredToDate, JSONDecoder::DateDecodingStrategy::deferredToDate),
            std::pair(std::string(R"({"at":0.75})"), stamp.at));
  EXPECT_EQ(roundTrip(JSONEncoder::DateEncodingStrategy::secondsSince1970, JSONDecoder::DateDecodingStrategy::secondsSince1970),
            std::pair(std::string(R"({"at":978307200.75})"), stamp.at));
  EXPECT_EQ(roundTrip(JSONEncoder::DateEncodingStrategy::millisecondsSince1970,
                      JSONDecoder::DateDecodingStrategy::millisecondsSince1970),
            std::pair(std::string(R"({"at":978307200750})"), stamp.at));
  EXPECT_EQ(roundTrip(JSONEncoder::DateEncodingStrategy::iso8601, JSONDecoder::DateDecodingStrategy::iso8601),
            std::pair(std::string(R"({"at":"2001-01-01T00:00:00Z"})"), Date{978307200}));
  EXPECT_EQ(roundTrip(JSONEncoder::DateEncodingStrategy::custom([](const Date& date, Encoder& encoder) {
                        encoder.singleValueContainer()->encode("day " + std::to_string(static_cast<int>(date.timeIntervalSinceReferenceDate())));
                      }),
                      JSONDecoder::DateDecodingStrategy::custom([](Decoder& decoder) {
                        const auto text = decoder.singleValueContainer()->decode<std::string>();
                        return Date::fromTimeIntervalSinceReferenceDate(std::stod(text.substr(4)));
                      })),
            std::pair(std::string(R"({"at":"day 0"})"), Date::fromTimeIntervalSinceReferenceDate(0)));
  // A custom strategy that writes nothing leaves an empty object.
  encoder.dateEncodingStrategy = JSONEncoder::DateEncodingStrategy::custom([](const Date&, Encoder&) {});
  EXPECT_EQ(encoded(encoder, stamp), R"({"at":{}})");
}

TEST(JSONCoding, ISO8601TextIsCheckedOnBothSides) {
  JSONDecoder decoder;
  decoder.dateDecodingStrategy = JSONDecoder::DateDecodingStrategy::iso8601;
  EXPECT_EQ(decoded<Stamp>(R"({"at":"2026-12-05T18:39:48Z"})", decoder).at, Date{1796495988});
  EXPECT_EQ(decoded<Stamp>(R"({"at":"2001-01-01T01:30:00+01:30"})", decoder).at, Date{978307200});
  EXPECT_EQ(decoded<Stamp>(R"({"at":"1969-12-31T23:59:59Z"})", decoder).at, Date{-1});
  EXPECT_EQ(decoded<Stamp>(R"({"at":"2024-02-29T00:00:00Z"})", decoder).at, Date{1709164800});
  for (const auto* text : {"2023-02-29T00:00:00Z", "2001-01-01 00:00:00Z", "2001-01-01T00:00:00", "2001-01-01T24:00:00Z",
                           "2001-01-01T00:00:00.5Z", "2001-01-01T00:00:00+0100"}) {
    const auto error = decodingError<Stamp>(fmt::format(R"({{"at":"{}"}})", text), decoder);
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted) << text;
    EXPECT_EQ(describe(error.context().codingPath), "at") << text;
  }

  JSONEncoder encoder;
  encoder.dateEncodingStrategy = JSONEncoder::DateEncodingStrategy::iso8601;
  EXPECT_EQ(encoded(encoder, Stamp{Date{-0.5}}), R"({"at":"1969-12-31T23:59:59Z"})");
  const auto error = encodingError(Stamp{Date{1e18}}, encoder);
  EXPECT_EQ(describe(error.context().codingPath), "at");
  EXPECT_EQ(encodingError(Stamp{Date{std::nan("")}}, encoder).context().codingPath.size(), 1u);
}

TEST(JSONCoding, DataStrategies) {
  const Blob blob{Data("\xff\x00\x10", 3)};
  JSONEncoder encoder;
  JSONDecoder decoder;
  EXPECT_EQ(encoded(encoder, blob), R"({"bytes":"\/wAQ"})");
  EXPECT_EQ(decoded<Blob>(R"({"bytes":"/wAQ"})").bytes, blob.bytes);
  // The last one is a line break after valid text, escaped for JSON.
  for (const auto* text : {"/wA", "/w=Q", "/wA?", "====", "/wAQ\\n"}) {
    const auto error = decodingError<Blob>(fmt::format(R"({{"bytes":"{}"}})", text));
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted) << text;
    EXPECT_EQ(describe(error.context().codingPath), "bytes") << text;
  }
  EXPECT_EQ(decoded<Blob>(R"({"bytes":""})").bytes, Data());
  EXPECT_EQ(decoded<Blob>(R"({"bytes":"YQ=="})").bytes, Data("a"));

  encoder.dataEncodingStrategy = JSONEncoder::DataEncodingStrategy::deferredToData;
  decoder.dataDecodingStrategy = JSONDecoder::DataDecodingStrategy::deferredToData;
  EXPECT_EQ(encoded(encoder, blob), R"({"bytes":[255,0,16]})");
  EXPECT_EQ(decoded<Blob>(R"({"bytes":[255,0,16]})", decoder).bytes, blob.bytes);
  EXPECT_EQ(describe(decodingError<Blob>(R"({"bytes":[1,256]})", decoder).context().codingPath), "bytes[1]");

  encoder.dataEncodingStrategy = JSONEncoder::DataEncodingStrategy::custom(
      [](const Data& data, Encoder& encoder) { encoder.singleValueContainer()->encode(static_cast<int>(data.size())); });
  decoder.dataDecodingStrategy = JSONDecoder::DataDecodingStrategy::custom(
      [](Decoder& decoder) { return Data(std::string(decoder.singleValueContainer()->decode<std::size_t>(), 'x')); });
  EXPECT_EQ(encoded(encoder, blob), R"({"bytes":3})");
  EXPECT_EQ(decoded<Blob>(R"({"bytes":2})", decoder).bytes, Data("xx"));
}

TEST(JSONCoding, UnwritableValuesFailWithTheirPath) {
  const auto nan = encodingError(std::map<std::string, std::vector<double>>{{"x", {1, std::nan("")}}});
  EXPECT_EQ(describe(nan.context().codingPath), "x[1]");
  EXPECT_EQ(nan.valueDescription(), "nan");
  EXPECT_EQ(nan.description(), "Invalid value nan at x[1]: Unable to encode nan directly in JSON.");
  EXPECT_EQ(describe(encodingError(std::vector<float>{-INFINITY}).context().codingPath), "[0]");
  EXPECT_EQ(describe(encodingError(Address{"\xff", std::nullopt}).context().codingPath), "city");
  const auto badKey = encodingError(std::map<std::string, std::map<std::string, int>>{{"a", {{"\xc3", 1}}}});
  EXPECT_EQ(badKey.description(), "Invalid value key at a.\xc3: The key is not valid UTF-8.");
}

namespace {

// Writes its parts through every kind of container by hand.
struct Composite {
  int base = 0;
  int extra = 0;
  std::vector<int> rows;

  void encode(Encoder& encoder) const {
    auto container = encoder.container();
    container->nestedContainer("meta")->encode(base, "base");
    container->nestedContainer("meta")->encode(extra, "extra");
    auto list = container->nestedUnkeyedContainer("rows");
    for (int row : rows) list->nestedUnkeyedContainer()->encode(row);
    auto super = container->superEncoder();
    super->singleValueContainer()->encode(std::any_cast<int>(encoder.userInfo().at("version")));
  }
  static Composite decode(Decoder& decoder) {
    auto container = decoder.container();
    auto meta = container->nestedContainer("meta");
    Composite value{meta->decode<int>("base"), meta->decode<int>("extra"), {}};
    auto list = container->nestedUnkeyedContainer("rows");
    EXPECT_EQ(list->count(), 2);
    while (!list->isAtEnd()) value.rows.push_back(list->nestedUnkeyedContainer()->decode<int>());
    EXPECT_EQ(list->currentIndex(), 2);
    EXPECT_EQ(container->superDecoder()->singleValueContainer()->decode<int>(), 7);
    EXPECT_TRUE(container->superDecoder("absent")->singleValueContainer()->decodeNil());
    return value;
  }
  friend bool operator==(const Composite&, const Composite&) = default;
};

struct TwiceIntoOneContainer {
  void encode(Encoder& encoder) const {
    auto container = encoder.singleValueContainer();
    container->encode(1);
    container->encode(2);
  }
};

struct EncodesNothing {
  void encode(Encoder&) const {}
};

}  // namespace

TEST(JSONCoding, HandWrittenConformancesUseNestedAndSuperContainers) {
  JSONEncoder encoder;
  encoder.userInfo["version"] = 7;
  const Composite value{1, 2, {3, 4}};
  const auto text = encoded(encoder, value);
  EXPECT_EQ(text, R"({"meta":{"base":1,"extra":2},"rows":[[3],[4]],"super":7})");
  EXPECT_EQ(decoded<Composite>(text), value);
}

TEST(JSONCoding, MisuseOfTheContainersIsAnErrorNotACrash) {
  const auto twice = encodingError(std::vector<TwiceIntoOneContainer>(1));
  EXPECT_EQ(describe(twice.context().codingPath), "[0]");
  EXPECT_EQ(twice.context().debugDescription,
            "Attempt to encode value through single value container when previously value already encoded.");
  EXPECT_NE(encodingError(EncodesNothing()).description().find("did not encode any values"), std::string::npos);
  EXPECT_EQ(encoded(JSONEncoder(), std::vector<EncodesNothing>(1)), "[{}]");

  const auto atEnd = decodingError<std::vector<Composite>>(R"([{"meta":{"base":1,"extra":2},"rows":[[3],[]]}])");
  EXPECT_EQ(atEnd.kind(), DecodingError::Kind::valueNotFound);
  EXPECT_EQ(describe(atEnd.context().codingPath), "[0].rows[1][0]");
}

TEST(JSONCoding, URLsKeepTheirTextAndRefuseInvalidText) {
  const auto url = URL::string("http://h/a%20b?q=1#f");
  ASSERT_TRUE(url);
  const std::string text = encoded(JSONEncoder(), std::vector<URL>{*url});
  EXPECT_EQ(text, R"(["http:\/\/h\/a%20b?q=1#f"])");
  EXPECT_EQ(decoded<std::vector<URL>>(text), std::vector<URL>{*url});
  try {
    decoded<std::vector<URL>>(R"(["not a url"])");
    ADD_FAILURE() << "no error decoding";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
    EXPECT_NE(error.description().find("[0]"), std::string::npos) << error.description();
  }
}
