#include <gtest/gtest.h>

#include <string>

#include "Platform/Coding/JSONDecoder.h"
#include "Platform/Coding/JSONEncoder.h"
#include "Platform/Foundation/Data.h"
#include "Wendalore/Model/EditorTab.h"
#include "Wendalore/Model/RequestAuthType.h"
#include "Wendalore/Model/RequestBodyType.h"
#include "Wendalore/Model/TabStatus.h"

namespace wendalore {
namespace {

template <class Enum>
std::vector<std::string> rawValuesOfAllCases() {
  std::vector<std::string> texts;
  for (auto value : allCases<Enum>()) texts.emplace_back(rawValue(value));
  return texts;
}

TEST(RequestEnumsTest, AllCasesComeInDeclarationOrderWithTheirTexts) {
  EXPECT_EQ(rawValuesOfAllCases<RequestBodyType>(),
            (std::vector<std::string>{"No Body", "Form URL Encoded", "Raw Text", "JSON", "Multipart"}));
  EXPECT_EQ(rawValuesOfAllCases<RequestAuthType>(), (std::vector<std::string>{"None", "Basic Auth", "Bearer Token"}));
  EXPECT_EQ(rawValuesOfAllCases<EditorTab>(), (std::vector<std::string>{"Params", "Headers", "Body", "Auth"}));
  EXPECT_EQ(allCases<RequestBodyType>().front(), RequestBodyType::none);
  EXPECT_EQ(allCases<RequestAuthType>().back(), RequestAuthType::bearer);
}

TEST(RequestEnumsTest, OnlyTheExactRawValueGivesACase) {
  EXPECT_EQ(fromRawValue<RequestBodyType>("JSON"), RequestBodyType::json);
  EXPECT_EQ(fromRawValue<RequestBodyType>("json"), std::nullopt);
  EXPECT_EQ(fromRawValue<RequestBodyType>("Json"), std::nullopt);
  EXPECT_EQ(fromRawValue<RequestBodyType>("JSON "), std::nullopt);
  EXPECT_EQ(fromRawValue<RequestAuthType>("Bearer Token"), RequestAuthType::bearer);
  EXPECT_EQ(fromRawValue<EditorTab>("Body"), EditorTab::body);
  EXPECT_EQ(fromRawValue<EditorTab>(""), std::nullopt);
}

TEST(RequestEnumsTest, CodedFormIsTheRawValueText) {
  platform::JSONEncoder encoder;
  EXPECT_EQ(encoder.encode(RequestAuthType::bearer).toString(), "\"Bearer Token\"");
  EXPECT_EQ(encoder.encode(RequestBodyType::formUrlEncoded).toString(), "\"Form URL Encoded\"");

  platform::JSONDecoder decoder;
  EXPECT_EQ(decoder.decode<RequestBodyType>(platform::Data(std::string_view("\"Multipart\""))), RequestBodyType::multipart);
  try {
    decoder.decode<RequestBodyType>(platform::Data(std::string_view("\"multipart\"")));
    FAIL() << "a text that is no raw value decoded";
  } catch (const platform::DecodingError& error) {
    EXPECT_EQ(error.kind(), platform::DecodingError::Kind::dataCorrupted);
  }
}

TEST(RequestEnumsTest, TabStatusCarriesItsCount) {
  auto status = TabStatus::count(3);
  ASSERT_TRUE(std::holds_alternative<TabStatus::Count>(status.value));
  EXPECT_EQ(std::get<TabStatus::Count>(status.value).value, 3);
  EXPECT_TRUE(std::holds_alternative<TabStatus::Active>(TabStatus::active().value));
  EXPECT_TRUE(std::holds_alternative<TabStatus::None>(TabStatus::none().value));
}

}  // namespace
}  // namespace wendalore
