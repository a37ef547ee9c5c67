#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Store/ModelContext.h"
#include "Platform/Store/ObserverList.h"
#include "Wendalore/Editor/EditorField.h"
#include "Wendalore/Model/EditorTab.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "Wendalore/Model/TabStatus.h"
#include "Wendalore/ViewModel/RequestViewModel.h"

namespace wendalore {

// The request editor without its widgets: edits one stored template in
// place, keeps its URL query and parameter rows in step, adds and deletes
// rows, follows the keyboard focus of the add-row lines, and sends. It holds
// only view state (selected tab, focus, the add-row texts); everything else
// is written straight into the template. Main thread only.
class RequestEditor : public std::enable_shared_from_this<RequestEditor> {
  struct Token {
    explicit Token() = default;
  };

 public:
  using Field = EditorField;

  static constexpr std::array<std::string_view, 7> methods = {"GET", "POST", "PUT", "PATCH", "DELETE", "OPTIONS",
                                                              "HEAD"};
  // How long after an edit it is saved: a crash or a kill loses at most
  // this much of what was typed.
  static constexpr double autosaveDelay = 0.5;

  // `onUpdate` hears of every change of the name or the method.
  static std::shared_ptr<RequestEditor> make(std::shared_ptr<RequestTemplate> request,
                                             std::shared_ptr<RequestViewModel> viewModel,
                                             std::shared_ptr<platform::ModelContext> modelContext,
                                             std::function<void()> onUpdate);
  RequestEditor(Token, std::shared_ptr<RequestTemplate> request, std::shared_ptr<RequestViewModel> viewModel,
                std::shared_ptr<platform::ModelContext> modelContext, std::function<void()> onUpdate);
  RequestEditor(const RequestEditor&) = delete;
  RequestEditor& operator=(const RequestEditor&) = delete;

  const std::shared_ptr<RequestTemplate>& requestTemplate() const { return template_; }

  // Coming on screen brings the rows in step with the stored URL; leaving it
  // saves (a failed save leaves the edits in the context). Edits are also
  // saved shortly after they are made, many edits in one save.
  void appear() { syncParamsFromURL(); }
  void disappear();

  void setName(std::string name);
  void setMethod(std::string method);
  void setURL(std::string url);

  void syncParamsFromURL();
  // Runs after every edit of a parameter row's key, value or enabled flag.
  void updateURLFromParams();

  // The texts of the two add-row lines.
  std::string newParamKey;
  std::string newParamValue;
  std::string newHeaderKey;
  std::string newHeaderValue;

  // Adds a row from the add-row texts unless both are empty, and empties
  // them; with `focusNewRow`, the focus moves into the new row's value field
  // at once, so that what is typed next lands there.
  void addParam(bool focusNewRow);
  void addHeader(bool focusNewRow);
  // A row that is no longer in the template is left alone.
  void deleteParam(const RequestQueryParam& row);
  void deleteHeader(const RequestHeaderItem& row);

  const std::optional<Field>& focusedField() const { return focusedField_; }
  // Leaving a filled add-row key field adds its row, moving on into the new
  // row when the focus went to the add-row value field.
  void setFocusedField(std::optional<Field> field);
  // Called after every change of the focused field, so the widgets can
  // follow a move the editor made.
  [[nodiscard]] platform::ObservationToken observeFocus(std::function<void()> observer) const {
    return focusChanges_.add(std::move(observer));
  }

  EditorTab selectedTab = EditorTab::params;
  std::map<EditorTab, TabStatus> tabStatuses() const;

  // A file for the multipart body, by its absolute path; it also names the
  // part when the file name is empty.
  void chooseFile(const std::string& path);
  void clearFile();
  // What the multipart page shows of the chosen file: its last path
  // component, "Selected" when the stored text reads as no URL, nothing
  // when no file is chosen.
  std::optional<std::string> chosenFileTitle() const;

  // Before each send: writes into the template what a widget shows but has
  // not yet written (the body editor reports its typing a moment late), then
  // calls `written`. Set by the view; without it a send starts at once.
  std::function<void(std::function<void()> written)> writeShownEdits;
  // How long a send waits for that, in seconds, before it goes with what the
  // template holds by then; its history entry then says so.
  static constexpr double shownEditsWait = 3.0;

  // Once what the widgets show is in the template: saves and hands the
  // template's values, its multipart settings included, to the view model,
  // which reports the outcome. Every call is one send, made once, in the
  // order of the calls.
  void send();

 private:
  void sendAsStored(std::optional<std::string> notice);
  void observeContext();
  void saveLater();
  void save();

  std::shared_ptr<RequestTemplate> template_;
  std::shared_ptr<RequestViewModel> viewModel_;
  std::shared_ptr<platform::ModelContext> modelContext_;
  std::function<void()> onUpdate_;
  bool isUpdatingURL_ = false;
  std::optional<Field> focusedField_;
  platform::ObserverList<> focusChanges_;
  platform::ObservationToken contextObservation_;
  bool isSaveScheduled_ = false;
  bool isSaving_ = false;
};

}  // namespace wendalore
