#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "Platform/Coding/Codable.h"
#include "Platform/Foundation/CharacterSet.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Date.h"
#include "Wendanet/Source/Support/URLEncodedFormEncoder.h"
#include "Wendanet/Source/Support/CharacterSetExtensions.h"
#include "tests/Wendanet/ThrownError.h"

using namespace wendanet;
using platform::CodingKey;
using platform::Data;
using platform::Date;
using platform::Encoder;
using wendanet::testing::thrownError;
using Options = URLEncodedFormEncoder::Options;

namespace {

struct Person {
  std::string name;
  int age = 0;
  std::vector<std::string> tags;
  bool flag = false;
  static constexpr auto codingFields() {
    return std::tuple{platform::field("name", &Person::name), platform::field("age", &Person::age),
                      platform::field("tags", &Person::tags), platform::field("flag", &Person::flag)};
  }
};

struct User {
  std::string name;
  int id = 0;
  static constexpr auto codingFields() {
    return std::tuple{platform::field("name", &User::name), platform::field("id", &User::id)};
  }
};

struct Account {
  User user;
  static constexpr auto codingFields() { return std::tuple{platform::field("user", &Account::user)}; }
};

struct Nickname {
  std::optional<std::string> nickname;
  static constexpr auto codingFields() { return std::tuple{platform::field("nickname", &Nickname::nickname)}; }
};

template <class T>
struct Field {
  T value;
  static constexpr auto codingFields() { return std::tuple{platform::field("value", &Field::value)}; }
};

struct Empty {
  void encode(Encoder& encoder) const { encoder.container(); }
};

// Writes the listed keys in order through one keyed container.
struct Pairs {
  std::vector<std::pair<std::string, std::string>> pairs;
  void encode(Encoder& encoder) const {
    auto container = encoder.container();
    for (const auto& [key, value] : pairs) container->encode(value, key);
  }
};

std::string encoded(platform::EncodableRef value, Options options = {}) {
  return URLEncodedFormEncoder::make(std::move(options))->encode(value);
}

}  // namespace

TEST(URLEncodedFormEncoder, DefaultEncoderSortsEscapesAndKeysLists) {
  const Person person{"John Smith", 30, {"a b", "c"}, true};
  EXPECT_EQ(encoded(person), "age=30&flag=1&name=John%20Smith&tags%5B%5D=a%20b&tags%5B%5D=c");
  EXPECT_EQ(encoded(Empty{}), "");
  EXPECT_EQ(encoded(Person{"x", 1, {}, false}), "age=1&flag=0&name=x");
}

TEST(URLEncodedFormEncoder, NestedKeysWithBracketsOrDots) {
  const Account account{{"a", 1}};
  EXPECT_EQ(encoded(account), "user%5Bid%5D=1&user%5Bname%5D=a");
  EXPECT_EQ(encoded(account, {.keyPathEncoding = KeyPathEncoding::dots()}), "user.id=1&user.name=a");
  auto withBrackets = URLEncodedFormEncoder::make();
  withBrackets->setAllowedCharacters(wnURLQueryAllowed().inserting("[]"));
  EXPECT_EQ(withBrackets->encode(account), "user[id]=1&user[name]=a");
}

TEST(URLEncodedFormEncoder, OrderIsKeptWhenNotAlphabetizing) {
  const Person person{"n", 2, {"b", "a"}, false};
  EXPECT_EQ(encoded(person, {.alphabetizeKeyValuePairs = false}), "name=n&age=2&tags%5B%5D=b&tags%5B%5D=a&flag=0");
  EXPECT_EQ(encoded(Field<std::vector<std::string>>{{"b", "a"}}), "value%5B%5D=a&value%5B%5D=b");
}

TEST(URLEncodedFormEncoder, ArrayEncodings) {
  Field<std::vector<int>> twelve;
  for (int index = 0; index < 12; ++index) twelve.value.push_back(index);
  EXPECT_EQ(encoded(twelve, {.arrayEncoding = ArrayEncoding::indexInBrackets}),
            "value%5B0%5D=0&value%5B1%5D=1&value%5B10%5D=10&value%5B11%5D=11&value%5B2%5D=2&value%5B3%5D=3&"
            "value%5B4%5D=4&value%5B5%5D=5&value%5B6%5D=6&value%5B7%5D=7&value%5B8%5D=8&value%5B9%5D=9");

  const Field<std::vector<std::string>> tags{{"a", "c"}};
  EXPECT_EQ(encoded(tags, {.arrayEncoding = ArrayEncoding::noBrackets}), "value=a&value=c");
  const auto custom = ArrayEncoding::custom(
      [](const std::string& key, std::size_t index) { return key + "(" + std::to_string(index) + ")"; });
  EXPECT_EQ(encoded(tags, {.arrayEncoding = custom}), "value%280%29=a&value%281%29=c");
}

TEST(URLEncodedFormEncoder, AbsentValuesFollowTheNilEncoding) {
  const Nickname absent;
  EXPECT_EQ(encoded(absent), "");
  EXPECT_EQ(encoded(absent, {.nilEncoding = NilEncoding::dropValue()}), "nickname=");
  EXPECT_EQ(encoded(absent, {.nilEncoding = NilEncoding::null()}), "nickname=null");
  EXPECT_EQ(encoded(Nickname{"x"}, {.nilEncoding = NilEncoding::null()}), "nickname=x");

  // Dropped elements leave no gap in the numbering.
  const Field<std::vector<std::optional<std::string>>> list{{"a", std::nullopt, "b"}};
  EXPECT_EQ(encoded(list, {.arrayEncoding = ArrayEncoding::indexInBrackets}), "value%5B0%5D=a&value%5B1%5D=b");
  EXPECT_EQ(encoded(list, {.arrayEncoding = ArrayEncoding::indexInBrackets, .nilEncoding = NilEncoding::dropValue()}),
            "value%5B0%5D=a&value%5B1%5D=&value%5B2%5D=b");
}

TEST(URLEncodedFormEncoder, SpacesAndReservedCharacters) {
  const Field<std::string> text{"a b+c%é&=#"};
  EXPECT_EQ(encoded(text), "value=a%20b%2Bc%25%C3%A9%26%3D%23");
  EXPECT_EQ(encoded(text, {.spaceEncoding = SpaceEncoding::plusReplaced}), "value=a+b%2Bc%25%C3%A9%26%3D%23");
}

TEST(URLEncodedFormEncoder, TextThatIsNotUTF8IsEscapedByteByByte) {
  const Field<std::string> text{"a\xFF&b=c#d"};
  EXPECT_EQ(encoded(text), "value=a%FF%26b%3Dc%23d");
  const Pairs badKey{{{"k\xC3&", "v"}}};
  EXPECT_EQ(encoded(badKey), "k%C3%26=v");
}

TEST(URLEncodedFormEncoder, RootMustBeARecord) {
  const auto encoder = URLEncodedFormEncoder::make();
  const auto text = thrownError<URLEncodedFormEncoder::Error>([&] { encoder->encode(std::string("abc")); });
  ASSERT_TRUE(text);
  EXPECT_EQ(text->componentDescription(), "string(\"abc\")");
  EXPECT_EQ(text->description(), "invalidRootObject(string(\"abc\"))");
  EXPECT_EQ(text->localizedDescription(),
            "The operation couldn't be completed. (Wendanet.URLEncodedFormEncoder.Error error 0.)");

  EXPECT_TRUE(thrownError<URLEncodedFormEncoder::Error>([&] { encoder->encode(42); }));
  const auto array = thrownError<URLEncodedFormEncoder::Error>([&] { encoder->encode(std::vector<int>{1, 2}); });
  ASSERT_TRUE(array);
  EXPECT_EQ(array->componentDescription(), "array([string(\"1\"), string(\"2\")])");

  const std::optional<int> absent;
  EXPECT_EQ(encoder->encode(absent), "");
  EXPECT_TRUE(thrownError<URLEncodedFormEncoder::Error>(
      [&] { URLEncodedFormEncoder::make({.nilEncoding = NilEncoding::null()})->encode(absent); }));
}

TEST(URLEncodedFormEncoder, LaterWritesToOneKeyReplaceInPlace) {
  const Pairs twice{{{"a", "1"}, {"b", "2"}, {"a", "3"}}};
  EXPECT_EQ(encoded(twice, {.alphabetizeKeyValuePairs = false}), "a=3&b=2");

  struct TextThenNested {
    void encode(Encoder& encoder) const {
      auto container = encoder.container();
      container->encode(std::string("text"), "a");
      container->nestedContainer("a")->encode(std::string("x"), "b");
    }
  };
  EXPECT_EQ(encoded(TextThenNested{}), "a%5Bb%5D=x");
}

TEST(URLEncodedFormEncoder, CanonicallyEquivalentKeysAreOneKey) {
  // A precomposed e with acute, then the e followed by the combining acute.
  EXPECT_EQ(encoded(Pairs{{{"\u00E9", "1"}, {"e\u0301", "2"}}}), "%C3%A9=2");

  // Past eight keys the lookup goes by hash; the first text of the key
  // stays.
  Pairs many;
  for (int index = 0; index < 8; ++index) many.pairs.emplace_back("k" + std::to_string(index), "0");
  many.pairs.emplace_back("e\u0301", "1");
  many.pairs.emplace_back("\u00E9", "2");
  EXPECT_EQ(encoded(many, {.alphabetizeKeyValuePairs = false}),
            "k0=0&k1=0&k2=0&k3=0&k4=0&k5=0&k6=0&k7=0&e%CC%81=2");
}

TEST(URLEncodedFormEncoder, UnescapedTextSortsByItsComposedForm) {
  // Composed, the decomposed key is "\u00E9b", after "\u00E9a"; its
  // bytes alone would put it first.
  const Pairs pairs{{{"e\u0301b", "1"}, {"\u00E9a", "2"}}};
  EXPECT_EQ(encoded(pairs, {.allowedCharacters = wnURLQueryAllowed().inserting("\u00E9\u0301")}),
            "\u00E9a=2&e\u0301b=1");
}

TEST(URLEncodedFormEncoder, KeysAreRewrittenWholeBeforeEscaping) {
  struct Named {
    void encode(Encoder& encoder) const {
      encoder.container()->nestedContainer("userName")->encode(std::string("a"), "firstName");
    }
  };
  EXPECT_EQ(encoded(Named{}, {.keyEncoding = KeyEncoding::convertToSnakeCase}), "user_name%5Bfirst_name%5D=a");
  EXPECT_EQ(encoded(Field<std::vector<int>>{{1}}, {.keyEncoding = KeyEncoding::capitalized}), "Value%5B%5D=1");
}

TEST(URLEncodedFormEncoder, ScalarsAsText) {
  struct Scalars {
    void encode(Encoder& encoder) const {
      auto container = encoder.container();
      container->encode(30.5, "d");
      container->encode(1.0, "e");
      container->encode(0.1F, "f");
      container->encode(-7, "i");
      container->encode(std::uint64_t{18446744073709551615U}, "u");
    }
  };
  EXPECT_EQ(encoded(Scalars{}), "d=30.5&e=1.0&f=0.1&i=-7&u=18446744073709551615");
  EXPECT_EQ(encoded(Field<bool>{true}, {.boolEncoding = BoolEncoding::literal}), "value=true");
}

TEST(URLEncodedFormEncoder, DateEncodings) {
  const Field<Date> quarter{Date{0.25}};
  EXPECT_EQ(encoded(quarter), "value=-978307199.75");
  EXPECT_EQ(encoded(quarter, {.dateEncoding = DateEncoding::secondsSince1970}), "value=0.25");
  EXPECT_EQ(encoded(Field<Date>{Date{1}}, {.dateEncoding = DateEncoding::secondsSince1970}), "value=1.0");
  EXPECT_EQ(encoded(quarter, {.dateEncoding = DateEncoding::millisecondsSince1970}), "value=250.0");
  EXPECT_EQ(encoded(Field<Date>{Date{1796495988}}, {.dateEncoding = DateEncoding::iso8601}),
            "value=2026-12-05T18%3A39%3A48Z");
  const auto formatted = DateEncoding::formatted([](const Date& date) { return date < Date{1} ? "early" : "late"; });
  EXPECT_EQ(encoded(quarter, {.dateEncoding = formatted}), "value=early");

  const auto failing = DateEncoding::custom([](const Date&) -> std::string {
    throw platform::EncodingError::invalidValue("date", {{}, "refused", nullptr});
  });
  EXPECT_TRUE(thrownError<platform::EncodingError>([&] { encoded(quarter, {.dateEncoding = failing}); }));
  // Text for a date outside the years 0000 to 9999 would be wrong.
  EXPECT_TRUE(thrownError<platform::EncodingError>(
      [&] { encoded(Field<Date>{Date{1e12}}, {.dateEncoding = DateEncoding::iso8601}); }));
}

TEST(URLEncodedFormEncoder, DataEncodings) {
  const Field<Data> bytes{Data("\x01\x0A\xFE", 3)};
  EXPECT_EQ(encoded(bytes), "value=AQr%2B");
  EXPECT_EQ(encoded(bytes, {.dataEncoding = DataEncoding::deferredToData}),
            "value%5B%5D=1&value%5B%5D=10&value%5B%5D=254");
  const auto size = DataEncoding::custom([](const Data& data) { return std::to_string(data.size()); });
  EXPECT_EQ(encoded(bytes, {.dataEncoding = size}), "value=3");
}

TEST(URLEncodedFormEncoder, SuperEncoderOfKeyedContainerStaysAtItsPath) {
  struct Base {
    void encode(Encoder& encoder) const {
      auto container = encoder.container();
      container->encode(std::string("own"), "own");
      container->superEncoder()->container()->encode(std::string("base"), "inherited");
      container->superEncoder("parent")->container()->encode(std::string("p"), "field");
    }
  };
  EXPECT_EQ(encoded(Base{}), "inherited=base&own=own&parent%5Bfield%5D=p");
}

TEST(URLEncodedFormEncoder, IntegerKeysWriteListPositions) {
  struct Indexed {
    void encode(Encoder& encoder) const {
      auto container = encoder.container()->nestedContainer("list");
      container->encode(std::string("a"), CodingKey(std::int64_t{5}));
      container->encode(std::string("b"), CodingKey(std::int64_t{0}));
      container->encode(std::string("c"), CodingKey(std::int64_t{9}));
    }
  };
  EXPECT_EQ(encoded(Indexed{}, {.arrayEncoding = ArrayEncoding::indexInBrackets}), "list%5B0%5D=b&list%5B1%5D=c");
}

TEST(URLEncodedFormEncoder, ASecondValueThroughOneSingleValueContainerFails) {
  struct Twice {
    void encode(Encoder& encoder) const {
      auto container = encoder.container()->superEncoder("twice")->singleValueContainer();
      container->encode(std::string("first"));
      container->encode(std::string("second"));
    }
  };
  const auto error = thrownError<platform::EncodingError>([] { encoded(Twice{}); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->context().debugDescription,
            "Attempt to encode value through single value container when previously value already encoded.");
  EXPECT_EQ(error->context().codingPath, (platform::CodingPath{"twice"}));
  EXPECT_EQ(error->valueDescription(), "second");
}

TEST(URLEncodedFormEncoder, EncodeAsDataGivesTheTextsBytes) {
  const Person person{"Zoë", 1, {}, true};
  const auto encoder = URLEncodedFormEncoder::make();
  EXPECT_EQ(encoder->encodeAsData(person), Data(encoder->encode(person)));
}
