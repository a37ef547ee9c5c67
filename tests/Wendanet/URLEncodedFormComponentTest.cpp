#include <gtest/gtest.h>

#include <memory>

#include "Platform/Coding/EncodingError.h"
#include "Wendanet/Source/Support/URLEncodedFormComponent.h"
#include "Wendanet/Source/Support/URLEncodedFormValueEncoder.h"
#include "tests/Wendanet/ThrownError.h"

using namespace wendanet;
using platform::CodingKey;
using platform::CodingPath;
using Component = URLEncodedFormComponent;

namespace {

Component text(const char* value) { return Component::string(value); }
CodingKey position(std::int64_t index) { return CodingKey::index(index); }

}  // namespace

TEST(URLEncodedFormComponent, SetBuildsListsAndObjectsAlongThePath) {
  Component root;
  root.set(text("a"), CodingPath{"user", "tags", position(0)});
  root.set(text("b"), CodingPath{"user", "tags", position(1)});
  root.set(text("n"), CodingPath{"user", "name"});
  EXPECT_EQ(root.debugDescription(),
            "object([(\"user\", object([(\"tags\", array([string(\"a\"), string(\"b\")])), (\"name\", "
            "string(\"n\"))]))])");
}

TEST(URLEncodedFormComponent, PositionsBeyondTheEndAppendWithoutGaps) {
  Component list = Component::array({text("a"), text("b")});
  list.set(text("c"), CodingPath{position(5)});
  list.set(text("B"), CodingPath{position(1)});
  list.set(text("d"), CodingPath{position(-1)});
  EXPECT_EQ(list, Component::array({text("a"), text("B"), text("c"), text("d")}));
}

TEST(URLEncodedFormComponent, ANodeOfTheWrongKindIsReplaced) {
  Component node = text("old");
  node.set(text("x"), CodingPath{position(3)});
  EXPECT_EQ(node, Component::array({text("x")}));
  node.set(text("y"), CodingPath{"k"});
  ASSERT_NE(node.asObject(), nullptr);
  EXPECT_EQ(node.asObject()->size(), 1U);

  Component root;
  root.set(text("1"), CodingPath{"a"});
  root.set(text("2"), CodingPath{"b"});
  root.set(text("3"), CodingPath{"a"});
  EXPECT_EQ(root.debugDescription(), "object([(\"a\", string(\"3\")), (\"b\", string(\"2\"))])");
  root.set(text("r"), CodingPath{});
  EXPECT_EQ(root, text("r"));
}

TEST(URLEncodedFormComponent, DebugDescriptionEscapesQuotes) {
  EXPECT_EQ(text("say \"hi\" \\").debugDescription(), "string(\"say \\\"hi\\\" \\\\\")");
}

namespace {

std::shared_ptr<const URLEncodedFormValueEncoder::Options> defaultOptions() {
  return std::make_shared<const URLEncodedFormValueEncoder::Options>(URLEncodedFormValueEncoder::Options{
      BoolEncoding::numeric, DataEncoding::base64, DateEncoding::deferredToDate, NilEncoding::dropKey()});
}

}  // namespace

TEST(URLEncodedFormValueEncoder, SingleValueContainerKeepsItsFirstValue) {
  const auto context = URLEncodedFormContext::make();
  URLEncodedFormValueEncoder::SingleValueContainer container(CodingPath{"k"}, context, defaultOptions());
  container.encodeNil();
  EXPECT_TRUE(container.canEncodeNewValue());
  container.encode(true);
  EXPECT_FALSE(container.canEncodeNewValue());
  EXPECT_TRUE(wendanet::testing::thrownError<platform::EncodingError>([&] { container.encode(std::int64_t{2}); }));
  EXPECT_EQ(context->component.debugDescription(), "object([(\"k\", string(\"1\"))])");
}

TEST(URLEncodedFormValueEncoder, UnkeyedPositionsAreTakenPerElement) {
  const auto context = URLEncodedFormContext::make();
  URLEncodedFormValueEncoder encoder(CodingPath{"list"}, context, defaultOptions());
  const auto container = encoder.unkeyedContainer();
  container->encodeNil();
  EXPECT_EQ(container->count(), 0);
  container->encode(std::string("a"));
  container->nestedContainer()->encode(std::string("b"), "k");
  container->superEncoder();
  EXPECT_EQ(container->count(), 3);
  EXPECT_EQ(container->codingPath(), CodingPath{"list"});
  EXPECT_TRUE(encoder.userInfo().empty());
  EXPECT_EQ(context->component.debugDescription(),
            "object([(\"list\", array([string(\"a\"), object([(\"k\", string(\"b\"))])]))])");
}
