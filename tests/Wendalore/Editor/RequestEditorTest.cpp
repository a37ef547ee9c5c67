#include "tests/Wendalore/Editor/EditorFixture.h"

#include <variant>

namespace wendalore {
namespace {

using Field = EditorField;
using RequestEditorTest = EditorFixture;

std::string badge(const std::map<EditorTab, TabStatus>& statuses, EditorTab tab) {
  const auto found = statuses.find(tab);
  if (found == statuses.end()) return "-";
  if (const auto* count = std::get_if<TabStatus::Count>(&found->second.value)) return std::to_string(count->value);
  return std::holds_alternative<TabStatus::Active>(found->second.value) ? "active" : "none";
}

TEST_F(RequestEditorTest, ReturnInTheKeyFieldAddsTheRowAndMovesIntoItsValueAtOnce) {
  editor->setURL("https://h.test/list");
  editor->setFocusedField(Field::newKey());
  editor->newParamKey = "page";
  editor->addParam(true);

  ASSERT_EQ(rows(), (std::vector<Row>{{"page", ""}}));
  EXPECT_EQ(editor->newParamKey + editor->newParamValue, "");
  EXPECT_EQ(request->url(), "https://h.test/list?page=");
  // At once: a key typed a moment later would otherwise land in the add row.
  EXPECT_EQ(editor->focusedField(), Field::value(request->queryParams()[0]->id()));
}

TEST_F(RequestEditorTest, LeavingAFilledKeyFieldAddsTheRowAndOnlyTheValueFieldTakesTheFocusOn) {
  struct Case {
    const char* name;
    Field from;
    std::optional<Field> to;
    std::string key, value;
    std::size_t added;
    bool focusMoves;
  };
  const auto elsewhere = Field::key(platform::UUID());
  const Case cases[] = {
      {"params: tab into the value", Field::newKey(), Field::newValue(), "k", "", 1, true},
      {"params: click elsewhere", Field::newKey(), elsewhere, "k", "v", 1, false},
      {"params: focus leaves the page", Field::newKey(), std::nullopt, " ", "", 1, false},
      {"params: empty key", Field::newKey(), Field::newValue(), "", "v", 0, false},
      {"params: leaving the value field", Field::newValue(), elsewhere, "", "v", 0, false},
      {"headers: tab into the value", Field::newHeaderKey(), Field::newHeaderValue(), "Accept", "", 1, true},
      {"headers: click elsewhere", Field::newHeaderKey(), elsewhere, "Accept", "", 1, false},
  };
  for (const auto& test : cases) {
    const bool headers = test.from == Field::newHeaderKey();
    const auto count = [&] { return headers ? request->headers().size() : request->queryParams().size(); };
    const auto before = count();
    editor->setFocusedField(test.from);
    (headers ? editor->newHeaderKey : editor->newParamKey) = test.key;
    (headers ? editor->newHeaderValue : editor->newParamValue) = test.value;
    editor->setFocusedField(test.to);
    EXPECT_EQ(count() - before, test.added) << test.name;
    if (test.focusMoves) {
      const auto id = headers ? request->headers().back()->id() : request->queryParams().back()->id();
      const auto target = headers ? Field::headerValue(id) : Field::value(id);
      EXPECT_EQ(editor->focusedField(), target) << test.name;
    } else {
      platform::RunLoop::main().runPending();
      EXPECT_EQ(editor->focusedField(), test.to) << test.name;
    }
    editor->newParamValue.clear();
  }
}

TEST_F(RequestEditorTest, AddingNeedsSomeTextAndAValueOnlyRowLeavesTheURLAlone) {
  editor->setURL("https://h.test/?a=1");
  editor->addParam(true);
  editor->addHeader(true);
  EXPECT_EQ(request->queryParams().size(), 1u);
  EXPECT_TRUE(request->headers().empty());

  editor->newParamValue = "orphan";
  editor->addParam(false);
  EXPECT_EQ(rows(), (std::vector<Row>{{"a", "1"}, {"", "orphan"}}));
  EXPECT_EQ(request->url(), "https://h.test/?a=1");
  editor->setURL("https://h.test/?a=1&b=2");
  EXPECT_EQ(rows(), (std::vector<Row>{{"a", "1"}, {"", "orphan"}, {"b", "2"}}));
}

TEST_F(RequestEditorTest, DeletingAParameterRewritesTheURLWhileHeadersNeverTouchIt) {
  editor->setURL("https://h.test/?a=1&b=2");
  editor->newHeaderKey = "X-One";
  editor->addHeader(false);
  ASSERT_TRUE(context->save());
  const auto param = request->queryParams()[0];
  const auto header = request->headers()[0];

  editor->deleteHeader(*header);
  EXPECT_TRUE(request->headers().empty());
  EXPECT_TRUE(header->isDeleted());
  EXPECT_EQ(request->url(), "https://h.test/?a=1&b=2");

  editor->deleteParam(*param);
  EXPECT_EQ(rows(), (std::vector<Row>{{"b", "2"}}));
  EXPECT_TRUE(param->isDeleted());
  EXPECT_EQ(request->url(), "https://h.test/?b=2");

  editor->deleteParam(*param);  // no longer there
  EXPECT_EQ(rows(), (std::vector<Row>{{"b", "2"}}));
}

TEST_F(RequestEditorTest, NameAndMethodChangesTellTheOwner) {
  editor->setMethod("PATCH");
  EXPECT_EQ(request->method(), "PATCH");
  EXPECT_EQ(updates, 1);
  editor->setMethod("PATCH");
  EXPECT_EQ(updates, 1) << "the method already set";
  editor->setName("L");
  editor->setName("Li");
  EXPECT_EQ(updates, 3);
  EXPECT_EQ(request->name(), "Li");
}

TEST_F(RequestEditorTest, TabBadgesFollowWhatTheTemplateUses) {
  struct Case {
    const char* name;
    std::function<void(RequestTemplate&)> setUp;
    const char* params;
    const char* headers;
    const char* body;
    const char* auth;
  };
  const Case cases[] = {
      {"a new request", [](RequestTemplate&) {}, "0", "0", "-", "-"},
      {"disabled params are not counted, disabled headers are",
       [](RequestTemplate& r) {
         r.setQueryParams({RequestQueryParam::make("a", "", true), RequestQueryParam::make("b", "", false),
                           RequestQueryParam::make("c", "", true)});
         auto off = RequestHeaderItem::make("X", "");
         off->setIsEnabled(false);
         r.setHeaders({RequestHeaderItem::make("A", ""), off});
       },
       "2", "2", "-", "-"},
      {"form body", [](RequestTemplate& r) { r.setBodyType(RequestBodyType::formUrlEncoded); }, "0", "0", "active",
       "-"},
      {"empty raw body", [](RequestTemplate& r) { r.setBodyType(RequestBodyType::rawText); }, "0", "0", "-", "-"},
      {"json body",
       [](RequestTemplate& r) {
         r.setBodyType(RequestBodyType::json);
         r.setBody("{");
       },
       "0", "0", "active", "-"},
      {"multipart with the default file name", [](RequestTemplate& r) { r.setBodyType(RequestBodyType::multipart); },
       "0", "0", "active", "-"},
      {"multipart with nothing",
       [](RequestTemplate& r) {
         r.setBodyType(RequestBodyType::multipart);
         r.setMultipartFileName("");
       },
       "0", "0", "-", "-"},
      {"multipart with a file only",
       [](RequestTemplate& r) {
         r.setBodyType(RequestBodyType::multipart);
         r.setMultipartFileName("");
         r.setMultipartFileURL("file:///tmp/a.bin");
       },
       "0", "0", "active", "-"},
      {"basic", [](RequestTemplate& r) { r.setAuthType(RequestAuthType::basic); }, "0", "0", "-", "active"},
      {"bearer", [](RequestTemplate& r) { r.setAuthType(RequestAuthType::bearer); }, "0", "0", "-", "active"},
  };
  for (const auto& test : cases) {
    auto fresh = RequestTemplate::make("t", "", "GET", nullptr, 0);
    test.setUp(*fresh);
    auto statuses = RequestEditor::make(fresh, viewModel, context, nullptr)->tabStatuses();
    EXPECT_EQ(badge(statuses, EditorTab::params), test.params) << test.name;
    EXPECT_EQ(badge(statuses, EditorTab::headers), test.headers) << test.name;
    EXPECT_EQ(badge(statuses, EditorTab::body), test.body) << test.name;
    EXPECT_EQ(badge(statuses, EditorTab::auth), test.auth) << test.name;
  }
}

TEST_F(RequestEditorTest, AChosenFileIsShownByItsNameAndClearingForgetsItAndItsName) {
  EXPECT_EQ(editor->chosenFileTitle(), std::nullopt);
  editor->chooseFile("/data/report 2.pdf");
  EXPECT_EQ(request->multipartFileURL(), "file:///data/report%202.pdf");
  EXPECT_EQ(request->multipartFileName(), "upload.bin") << "a name already set stays";
  EXPECT_EQ(editor->chosenFileTitle(), "report 2.pdf");

  editor->clearFile();
  EXPECT_EQ(request->multipartFileURL(), std::nullopt);
  EXPECT_EQ(request->multipartFileName(), "");
  EXPECT_EQ(request->multipartFieldName(), "file");
  editor->chooseFile("/data/photo.png");
  EXPECT_EQ(request->multipartFileName(), "photo.png") << "an empty name takes the file's";

  request->setMultipartFileURL("not a url");
  EXPECT_EQ(editor->chosenFileTitle(), "Selected");
}

TEST_F(RequestEditorTest, SendSavesAndHandsTheTemplateAndItsMultipartSettingsToTheViewModel) {
  request->setURL("https://127.0.0.1:9/post?a=1");
  request->setMethod("POST");
  request->setBody("payload");
  request->setHeaders({RequestHeaderItem::make("X-Trace", "7")});
  request->setMultipartFieldName("document");
  request->setMultipartMimeType("text/csv");
  editor->chooseFile("/tmp/data.csv");
  request->setName("Edited, not saved yet");
  const auto before = platform::Date::now();

  editor->send();

  EXPECT_GE(request->updatedAt(), before);
  EXPECT_EQ(request->lastExecuted(), std::nullopt);
  EXPECT_EQ(viewModel->modelContext, context);
  EXPECT_EQ(viewModel->currentTemplate, request);
  EXPECT_EQ(viewModel->selectedFileURL(), platform::URL::string("file:///tmp/data.csv"));
  EXPECT_EQ(viewModel->multipartFieldName(), "document");
  EXPECT_EQ(viewModel->multipartFileName(), "upload.bin");
  EXPECT_EQ(viewModel->multipartMimeType(), "text/csv");
  ASSERT_FALSE(viewModel->requestHistory().empty());
  const auto& sent = *viewModel->requestHistory().front();
  EXPECT_EQ(sent.url(), "https://127.0.0.1:9/post?a=1");
  EXPECT_EQ(sent.method(), "POST");
  EXPECT_EQ(sent.requestHeaders().at("X-Trace"), "7");
  EXPECT_EQ(sent.requestBody(), "payload");
  auto reread = stored();
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(reread->name(), "Edited, not saved yet");

  request->setMultipartFileURL(std::nullopt);
  editor->send();
  EXPECT_EQ(viewModel->selectedFileURL(), std::nullopt) << "a cleared file is not sent from before";
}

// A press sends what the widgets show: it waits for them to write it, sends
// once, and waits no longer than its bound.
TEST_F(RequestEditorTest, SendWaitsForTheShownEditsOncePerPressAndNoLongerThanItsBound) {
  request->setURL("https://127.0.0.1:9/post");
  request->setMethod("POST");
  request->setBody("reported");
  std::vector<std::function<void()>> asked;
  editor->writeShownEdits = [&](std::function<void()> written) { asked.push_back(std::move(written)); };
  const auto& sent = viewModel->requestHistory();
  const auto bodies = [&] {
    std::vector<std::string> all;
    for (const auto& entry : sent) all.insert(all.begin(), entry->requestBody().value_or(""));
    return all;
  };

  editor->send();
  editor->send();
  EXPECT_TRUE(sent.empty()) << "nothing goes before the widgets have written";
  ASSERT_EQ(asked.size(), 2u);
  // The editor may go away meanwhile; the presses are kept.
  editor.reset();
  request->setBody("shown at the first press");
  asked[0]();
  asked[0]();
  EXPECT_EQ(bodies(), std::vector<std::string>{"shown at the first press"});

  request->setBody("stored when the wait is over");
  const auto longerThanTheWait = std::chrono::seconds(3 * static_cast<int>(RequestEditor::shownEditsWait));
  EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return sent.size() == 2; }, longerThanTheWait));
  asked[1]();
  platform::RunLoop::main().runUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(bodies(), (std::vector<std::string>{"shown at the first press", "stored when the wait is over"}));
  // Only the send that went without the text shown says so in its entry.
  EXPECT_EQ(sent[1]->notice(), std::nullopt);
  EXPECT_EQ(sent[0]->notice(), "Sent the body as last saved: the editor did not answer within 3 s.");

  // Without a writer, as before the view is made, a press sends at once.
  auto plain = RequestEditor::make(request, viewModel, context, [] {});
  plain->send();
  EXPECT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0]->notice(), std::nullopt);
}

TEST_F(RequestEditorTest, LeavingTheEditorSaves) {
  editor->setName("Renamed");
  editor->disappear();
  auto reread = stored();
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(reread->name(), "Renamed");
}

TEST_F(RequestEditorTest, EditsReachTheFileShortlyAfterTypingWithoutLeavingOrSending) {
  ASSERT_TRUE(context->save());
  const auto storedRows = [this] {
    std::vector<Row> read;
    const auto reread = stored();
    for (const auto& param : reread->queryParams()) read.push_back({param->key(), param->value(), param->isEnabled()});
    return read;
  };
  for (const auto* typed : {"h", "ht", "http://h.test/get?a=1"}) editor->setURL(typed);
  setRows({{"a", "1"}, {"off", "x", false}});
  EXPECT_EQ(stored()->url(), "") << "a keystroke only schedules the save";

  EXPECT_TRUE(pumpUntil([&] { return stored()->url() == "http://h.test/get?a=1"; }));
  EXPECT_EQ(storedRows(), (std::vector<Row>{{"a", "1"}, {"off", "x", false}}));

  // The save's own change report starts no further save; a later edit does.
  request->queryParams()[1]->setValue("y");
  EXPECT_TRUE(pumpUntil([&] { return storedRows() == std::vector<Row>{{"a", "1"}, {"off", "y", false}}; }));
}

}  // namespace
}  // namespace wendalore
