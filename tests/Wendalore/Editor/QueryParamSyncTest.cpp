#include "tests/Wendalore/Editor/EditorFixture.h"

namespace wendalore {
namespace {

class QueryParamSyncTest : public EditorFixture {
 protected:
  // A row edited the way its widgets edit it.
  template <class Setter, class Value>
  void edit(RequestQueryParam& row, Setter setter, Value value) {
    (row.*setter)(value);
    editor->updateURLFromParams();
  }
};

TEST_F(QueryParamSyncTest, ATypedURLRebuildsOnlyTheRowsItShows) {
  struct Case {
    const char* name;
    std::vector<Row> before;
    const char* url;
    std::vector<Row> after;
  };
  const Case cases[] = {
      {"items become rows in order", {}, "https://h.test/p?a=1&b=2", {{"a", "1"}, {"b", "2"}}},
      {"repeats and a bare name", {}, "https://h.test/?a=1&a=2&flag", {{"a", "1"}, {"a", "2"}, {"flag", ""}}},
      {"decoded, + kept", {}, "https://h.test/?q=a%20b+c", {{"q", "a b+c"}}},
      {"a disabled row survives", {{"x", "9", false}, {"a", "1"}}, "https://h.test/?a=2&b=3",
       {{"x", "9", false}, {"a", "2"}, {"b", "3"}}},
      {"a row typed with only a value survives", {{"a", "1"}, {"", "v"}}, "https://h.test/?b=2",
       {{"b", "2"}, {"", "v"}}},
      {"fewer items drop the rows they no longer show", {{"a", "1"}, {"", "v"}, {"b", "2"}}, "https://h.test/?c=3",
       {{"c", "3"}, {"", "v"}}},
      {"no query leaves every row", {{"a", "1"}, {"b", "2", false}}, "https://h.test/p", {{"a", "1"}, {"b", "2", false}}},
      {"an empty query removes the shown rows", {{"a", "1"}, {"b", "2", false}}, "https://h.test/p?",
       {{"b", "2", false}}},
      {"unparsable text leaves every row", {{"a", "1"}}, "https://h.test/a b?c=1", {{"a", "1"}}},
      {"an item without a name gives no row", {}, "https://h.test/?=5&a=1", {{"a", "1"}}},
  };
  for (const auto& test : cases) {
    setRows(test.before);
    request->setURL("");
    editor->setURL(test.url);
    EXPECT_EQ(rows(), test.after) << test.name;
  }
}

TEST_F(QueryParamSyncTest, AMatchingQueryKeepsTheVeryRowsAndADroppedRowLeavesTheStore) {
  setRows({{"a", "1"}, {"off", "x", false}, {"b", ""}});
  ASSERT_TRUE(context->save());  // the rows are stored
  const auto before = request->queryParams();
  editor->setURL("https://h.test/?a=1&b");
  EXPECT_EQ(request->queryParams(), before);

  editor->setURL("https://h.test/?a=2");
  EXPECT_TRUE(before[0]->isDeleted());
  EXPECT_FALSE(before[1]->isDeleted());
  EXPECT_TRUE(before[2]->isDeleted());
}

// The rows were typed with "é" as one letter; the URL spells it as "e" and a
// combining accent. Both are the same text, so the rows stay.
TEST_F(QueryParamSyncTest, AQuerySpelledWithDecomposedLettersKeepsTheRows) {
  setRows({{"caf\u00e9", "cr\u00e8me"}, {"off", "x", false}});
  ASSERT_TRUE(context->save());
  const auto before = request->queryParams();
  const auto ids = std::vector{before[0]->id(), before[1]->id()};
  request->setURL("https://h.test/?cafe%CC%81=cre%CC%80me");
  editor->appear();
  ASSERT_EQ(request->queryParams(), before);
  EXPECT_EQ((std::vector{request->queryParams()[0]->id(), request->queryParams()[1]->id()}), ids);
  EXPECT_FALSE(before[0]->isDeleted());

  editor->setURL("https://h.test/?cafe%CC%81=cre%CC%80mes");
  EXPECT_EQ(rows(), (std::vector<Row>{{"cafe\u0301", "cre\u0300mes"}, {"off", "x", false}}));
}

TEST_F(QueryParamSyncTest, RowEditsRewriteTheQueryAndKeepTheRestOfTheURL) {
  editor->setURL("https://user@h.test:8443/a/b?a=1&a=2&flag#part");
  const auto params = request->queryParams();
  ASSERT_EQ(params.size(), 3u);

  edit(*params[1], &RequestQueryParam::setIsEnabled, false);
  EXPECT_EQ(request->url(), "https://user@h.test:8443/a/b?a=1&flag=#part");
  edit(*params[1], &RequestQueryParam::setValue, "changed");  // disabled: nothing to write
  EXPECT_EQ(request->url(), "https://user@h.test:8443/a/b?a=1&flag=#part");
  edit(*params[0], &RequestQueryParam::setIsEnabled, false);
  edit(*params[2], &RequestQueryParam::setIsEnabled, false);
  EXPECT_EQ(request->url(), "https://user@h.test:8443/a/b#part");
  EXPECT_EQ(request->queryParams(), params) << "removing the query keeps the rows";

  edit(*params[2], &RequestQueryParam::setIsEnabled, true);
  edit(*params[2], &RequestQueryParam::setKey, "");
  EXPECT_EQ(request->url(), "https://user@h.test:8443/a/b#part") << "a row without a key is never written";
}

TEST_F(QueryParamSyncTest, AKeyWithSpacesAndSeparatorsReadsBackUnchanged) {
  editor->setURL("https://h.test/search");
  editor->newParamKey = "a b&c=d+e \u00fc";
  editor->newParamValue = "x&y=z #%";
  editor->addParam(false);
  const auto params = request->queryParams();
  EXPECT_EQ(request->url().find_first_of(" #", request->url().find('?')), std::string::npos) << request->url();

  editor->syncParamsFromURL();
  EXPECT_EQ(request->queryParams(), params) << request->url();
  EXPECT_EQ(rows(), (std::vector<Row>{{"a b&c=d+e \u00fc", "x&y=z #%"}}));
}

TEST_F(QueryParamSyncTest, RowsTypedBeforeTheAddressGoIntoTheEmptyURLAndTheAddressInFrontKeepsThem) {
  editor->newParamKey = "k1";
  editor->newParamValue = "value1";
  editor->addParam(false);
  editor->newParamKey = "k 2";
  editor->addParam(false);
  EXPECT_EQ(request->url(), "?k1=value1&k%202=");

  editor->setURL("http://h.test/get" + request->url());
  EXPECT_EQ(rows(), (std::vector<Row>{{"k1", "value1"}, {"k 2", ""}}));
  EXPECT_EQ(request->url(), "http://h.test/get?k1=value1&k%202=");

  // With no row left to write, the text is empty again, not a bare "?".
  request->setURL("");
  edit(*request->queryParams()[0], &RequestQueryParam::setIsEnabled, false);
  edit(*request->queryParams()[1], &RequestQueryParam::setKey, "");
  EXPECT_EQ(request->url(), "");
}

TEST_F(QueryParamSyncTest, AnUnparsableURLIsNeverRewritten) {
  setRows({{"a", "1"}});
  request->setURL("https://h.test/a b");
  edit(*request->queryParams()[0], &RequestQueryParam::setValue, "2");
  EXPECT_EQ(request->url(), "https://h.test/a b");
}

TEST_F(QueryParamSyncTest, ComingOnScreenBringsTheRowsInStepWithTheStoredURL) {
  setRows({{"old", "1"}});
  request->setURL("https://h.test/?new=2");
  editor->appear();
  EXPECT_EQ(rows(), (std::vector<Row>{{"new", "2"}}));
}

}  // namespace
}  // namespace wendalore
