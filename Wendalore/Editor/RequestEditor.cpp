#include "Wendalore/Editor/RequestEditor.h"

#include <algorithm>

#include <fmt/format.h>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/URL.h"
#include "Wendalore/Editor/QueryParamSync.h"
#include "Wendalore/Editor/TabStatuses.h"

namespace wendalore {
namespace {

// Takes the row with `id` out of `rows`; null when it is not there.
template <class Row>
std::shared_ptr<Row> takeRow(ModelList<Row>& rows, const platform::UUID& id) {
  const auto found = std::ranges::find_if(rows, [&](const auto& row) { return row->id() == id; });
  if (found == rows.end()) return nullptr;
  auto row = *found;
  rows.erase(found);
  return row;
}

// Leaving a filled add-row key field is how a row is added without Return.
bool leftFilled(const std::optional<EditorField>& old, const EditorField& from, const std::string& text) {
  return old == from && !text.empty();
}

}  // namespace

std::shared_ptr<RequestEditor> RequestEditor::make(std::shared_ptr<RequestTemplate> request,
                                                   std::shared_ptr<RequestViewModel> viewModel,
                                                   std::shared_ptr<platform::ModelContext> modelContext,
                                                   std::function<void()> onUpdate) {
  auto editor = std::make_shared<RequestEditor>(Token{}, std::move(request), std::move(viewModel),
                                                std::move(modelContext), std::move(onUpdate));
  editor->observeContext();
  return editor;
}

RequestEditor::RequestEditor(Token, std::shared_ptr<RequestTemplate> request,
                             std::shared_ptr<RequestViewModel> viewModel,
                             std::shared_ptr<platform::ModelContext> modelContext, std::function<void()> onUpdate)
    : template_(std::move(request)),
      viewModel_(std::move(viewModel)),
      modelContext_(std::move(modelContext)),
      onUpdate_(std::move(onUpdate)) {}

void RequestEditor::disappear() { save(); }

void RequestEditor::observeContext() {
  contextObservation_ = modelContext_->observeChanges([weak = weak_from_this()] {
    if (auto editor = weak.lock()) editor->saveLater();
  });
}

// Runs on every keystroke: it only schedules, and one save takes all the
// edits made until it runs.
void RequestEditor::saveLater() {
  // A save reports itself as a change, which must not start the next one.
  if (isSaveScheduled_ || isSaving_) return;
  isSaveScheduled_ = true;
  platform::DispatchQueue::main()->asyncAfter(autosaveDelay, [weak = weak_from_this()] {
    auto editor = weak.lock();
    if (!editor) return;
    editor->isSaveScheduled_ = false;
    editor->save();
  });
}

void RequestEditor::save() {
  isSaving_ = true;
  // A failed save keeps the edits in the context for the next save.
  (void)modelContext_->save();
  isSaving_ = false;
}

void RequestEditor::setName(std::string name) {
  if (name == template_->name()) return;
  template_->setName(std::move(name));
  if (onUpdate_) onUpdate_();
}

void RequestEditor::setMethod(std::string method) {
  if (method == template_->method()) return;
  template_->setMethod(std::move(method));
  if (onUpdate_) onUpdate_();
}

void RequestEditor::setURL(std::string url) {
  if (url == template_->url()) return;
  template_->setURL(std::move(url));
  if (!isUpdatingURL_) syncParamsFromURL();
}

void RequestEditor::syncParamsFromURL() {
  if (isUpdatingURL_) return;
  isUpdatingURL_ = true;
  queryparamsync::rowsFromURL(*template_, *modelContext_);
  isUpdatingURL_ = false;
}

void RequestEditor::updateURLFromParams() {
  if (isUpdatingURL_) return;
  isUpdatingURL_ = true;
  queryparamsync::urlFromRows(*template_);
  isUpdatingURL_ = false;
}

void RequestEditor::addParam(bool focusNewRow) {
  if (newParamKey.empty() && newParamValue.empty()) return;
  auto row = RequestQueryParam::make(std::exchange(newParamKey, {}), std::exchange(newParamValue, {}), true);
  auto rows = template_->queryParams();
  rows.push_back(row);
  template_->setQueryParams(std::move(rows));
  updateURLFromParams();
  if (focusNewRow) setFocusedField(Field::value(row->id()));
}

void RequestEditor::addHeader(bool focusNewRow) {
  if (newHeaderKey.empty() && newHeaderValue.empty()) return;
  auto row = RequestHeaderItem::make(std::exchange(newHeaderKey, {}), std::exchange(newHeaderValue, {}));
  auto rows = template_->headers();
  rows.push_back(row);
  template_->setHeaders(std::move(rows));
  if (focusNewRow) setFocusedField(Field::headerValue(row->id()));
}

void RequestEditor::deleteParam(const RequestQueryParam& row) {
  auto rows = template_->queryParams();
  auto taken = takeRow(rows, row.id());
  if (!taken) return;
  template_->setQueryParams(std::move(rows));
  modelContext_->deleteModel(taken);
  updateURLFromParams();
}

void RequestEditor::deleteHeader(const RequestHeaderItem& row) {
  auto rows = template_->headers();
  auto taken = takeRow(rows, row.id());
  if (!taken) return;
  template_->setHeaders(std::move(rows));
  modelContext_->deleteModel(taken);
}

void RequestEditor::setFocusedField(std::optional<Field> field) {
  if (field == focusedField_) return;
  const auto old = std::exchange(focusedField_, std::move(field));
  if (leftFilled(old, Field::newKey(), newParamKey)) addParam(focusedField_ == Field::newValue());
  if (leftFilled(old, Field::newHeaderKey(), newHeaderKey)) addHeader(focusedField_ == Field::newHeaderValue());
  focusChanges_.notify();
}

std::map<EditorTab, TabStatus> RequestEditor::tabStatuses() const { return wendalore::tabStatuses(*template_); }

void RequestEditor::chooseFile(const std::string& path) {
  const auto url = platform::URL::fileURL(path);
  template_->setMultipartFileURL(url.absoluteString());
  if (template_->multipartFileName().empty()) template_->setMultipartFileName(url.lastPathComponent());
}

void RequestEditor::clearFile() {
  template_->setMultipartFileURL(std::nullopt);
  template_->setMultipartFileName("");
}

std::optional<std::string> RequestEditor::chosenFileTitle() const {
  const auto& text = template_->multipartFileURL();
  if (!text || text->empty()) return std::nullopt;
  const auto url = platform::URL::string(*text);
  return url ? url->lastPathComponent() : "Selected";
}

void RequestEditor::send() {
  if (!writeShownEdits) {
    sendAsStored(std::nullopt);
    return;
  }
  // Held until the send is made, so that a press is kept even when the
  // editor is closed meanwhile.
  auto waiting = std::make_shared<std::shared_ptr<RequestEditor>>(shared_from_this());
  const auto sendOnce = [waiting](std::optional<std::string> notice) {
    if (const auto editor = std::exchange(*waiting, nullptr)) editor->sendAsStored(std::move(notice));
  };
  writeShownEdits([sendOnce] { sendOnce(std::nullopt); });
  // Unless it went at once, the press waits no longer than this.
  if (*waiting) {
    platform::DispatchQueue::main()->asyncAfter(shownEditsWait, [sendOnce] {
      sendOnce(fmt::format("Sent the body as last saved: the editor did not answer within {:g} s.",
                           shownEditsWait));
    });
  }
}

void RequestEditor::sendAsStored(std::optional<std::string> notice) {
  const auto& request = *template_;
  viewModel_->modelContext = modelContext_;
  viewModel_->currentTemplate = template_;
  template_->setUpdatedAt(platform::Date::now());
  // The send goes on whether or not the edits reached the file.
  save();

  const auto& fileText = request.multipartFileURL();
  viewModel_->setSelectedFileURL(fileText ? platform::URL::string(*fileText) : std::nullopt);
  viewModel_->setMultipartFieldName(request.multipartFieldName());
  viewModel_->setMultipartFileName(request.multipartFileName());
  viewModel_->setMultipartMimeType(request.multipartMimeType());

  viewModel_->sendRequest(request.url(), request.method(), request.headers(), request.body(), request.bodyType(),
                          request.authType(), request.authUsername(), request.authPassword(), request.authToken(),
                          std::move(notice));
}

}  // namespace wendalore
