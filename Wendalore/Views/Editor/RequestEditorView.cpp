#include "Wendalore/Views/Editor/RequestEditorView.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QShortcut>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "Wendalore/Views/Common/MethodStyle.h"
#include "Wendalore/Views/Common/PageScrollArea.h"
#include "Wendalore/Views/Editor/AuthPage.h"
#include "Wendalore/Views/Editor/BodyPage.h"
#include "Wendalore/Views/Editor/CapsuleButton.h"
#include "Wendalore/Views/Editor/EditorFonts.h"
#include "Wendalore/Views/Editor/ModernTabBar.h"
#include "Wendalore/Views/Editor/RowListPage.h"
#include "Wendalore/Views/Editor/PlainTextField.h"

namespace wendalore {
namespace {

QFrame* divider(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setForegroundRole(QPalette::Mid);
  return line;
}

// A row's controls over a stored header or parameter; `afterEdit` runs
// after each change made in the row.
template <class Item>
KeyValueRow::Binding bindRow(const std::shared_ptr<Item>& item, std::function<void()> afterEdit) {
  KeyValueRow::Binding binding;
  binding.isEnabled = [item] { return item->isEnabled(); };
  binding.setEnabled = [item, afterEdit](bool on) {
    item->setIsEnabled(on);
    afterEdit();
  };
  binding.key = [item] { return item->key(); };
  binding.setKey = [item, afterEdit](std::string text) {
    item->setKey(std::move(text));
    afterEdit();
  };
  binding.value = [item] { return item->value(); };
  binding.setValue = [item, afterEdit](std::string text) {
    item->setValue(std::move(text));
    afterEdit();
  };
  binding.observe = [item](std::function<void()> changed) {
    return item->observe([changed = std::move(changed)](std::string_view) { changed(); });
  };
  return binding;
}

// The method's text with a chevron after it, as a menu's label.
const CapsuleLook methodLook{.symbol = Symbol::chevronDown,
                             .symbolLeads = false,
                             .spacing = 6,
                             .padding = QMargins(10, 6, 10, 6),
                             .pointSize = 13,
                             .symbolPointSize = 10,
                             .secondarySymbol = true};

const CapsuleLook sendLook{.symbol = Symbol::paperPlane,
                           .symbolLeads = true,
                           .spacing = 4,
                           .padding = QMargins(10, 8, 10, 8),
                           .pointSize = 12,
                           .symbolPointSize = 12,
                           .secondarySymbol = false};

}  // namespace

RequestEditorView::RequestEditorView(std::shared_ptr<RequestTemplate> request,
                                     std::shared_ptr<RequestViewModel> viewModel,
                                     std::shared_ptr<platform::ModelContext> modelContext,
                                     std::function<void()> onUpdate, QWidget* parent)
    : QWidget(parent),
      editor_(RequestEditor::make(std::move(request), std::move(viewModel), std::move(modelContext),
                                  std::move(onUpdate))) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(10);

  name_ = plainTextField(this, "Request Name", [editor = editor_](std::string text) { editor->setName(std::move(text)); });
  name_->setObjectName("nameField");
  QFont title = name_->font();
  title.setPointSize(15);
  title.setBold(true);
  name_->setFont(title);
  name_->setTextMargins(15, 10, 0, 0);
  column->addWidget(name_);
  column->addWidget(divider(this));
  column->addWidget(makeURLBar());
  column->addWidget(divider(this));

  auto* tabArea = new QVBoxLayout();
  tabArea->setSpacing(0);
  auto* strip = new QHBoxLayout();
  strip->setContentsMargins(8, 8, 8, 0);
  tabBar_ = new ModernTabBar(this);
  tabBar_->onSelect = [this](EditorTab tab) { showTab(tab); };
  strip->addWidget(tabBar_);
  strip->addStretch(1);
  tabArea->addLayout(strip);
  tabArea->addSpacing(8);
  tabArea->addWidget(divider(this));

  pages_ = new QStackedWidget(this);
  // The page takes the room the controls above it leave, however little,
  // and scrolls: the editor stays short enough for the history to have
  // most of a small window.
  pages_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
  pages_->setAutoFillBackground(true);
  pages_->setBackgroundRole(QPalette::Base);
  params_ = makeParamsPage();
  headers_ = makeHeadersPage();
  body_ = new BodyPage(editor_);
  // Send takes the text the body editor shows, not only what it has reported.
  editor_->writeShownEdits = [this](std::function<void()> written) { body_->writeShownText(std::move(written)); };
  auth_ = new AuthPage(editor_->requestTemplate());
  // In the order of the tabs. The row lists scroll by themselves; the other
  // pages scroll here, so that no page holds the editor taller than the
  // window lets it be.
  pages_->addWidget(params_);
  pages_->addWidget(headers_);
  for (QWidget* page : {static_cast<QWidget*>(body_), static_cast<QWidget*>(auth_)}) {
    auto* scroll = pageScrollArea(pages_);
    scroll->setWidget(page);
    pages_->addWidget(scroll);
  }
  tabArea->addWidget(pages_, 1);
  column->addLayout(tabArea, 1);

  // The window's, not the editor's: a click on the sidebar, the history or
  // the response takes the focus out of the editor, and Ctrl+Return must
  // still send what it shows. A replaced editor is hidden at once, so its
  // shortcut never competes with the new one's.
  for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* send = new QShortcut(QKeySequence(Qt::CTRL | key), this);
    send->setContext(Qt::WindowShortcut);
    connect(send, &QShortcut::activated, this, [this] { editor_->send(); });
  }

  const auto& stored = *editor_->requestTemplate();
  showText(name_, stored.name());
  showText(url_, stored.url());
  showMethod();
  showTab(editor_->selectedTab);
  refreshBadges();
  templateObservation_ = stored.observe([this](std::string_view field) { templateChanged(field); });
  focusObservation_ = editor_->observeFocus([this] { followEditorFocus(); });
  focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                             [this](QWidget*, QWidget* now) { keyboardFocusChanged(now); });
}

RequestEditorView::~RequestEditorView() {
  // The children go after this body: nothing they do may reach the editor.
  disconnect(focusConnection_);
  editor_->writeShownEdits = nullptr;
  templateObservation_.cancel();
  focusObservation_.cancel();
  editor_->disappear();
}

QWidget* RequestEditorView::makeURLBar() {
  auto* bar = new QWidget(this);
  auto* line = new QHBoxLayout(bar);
  line->setContentsMargins(10, 0, 10, 0);
  line->setSpacing(12);

  method_ = new CapsuleButton<QToolButton>({}, methodLook, bar);
  method_->setObjectName("methodMenu");
  method_->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(method_);
  for (const auto method : RequestEditor::methods) {
    const QString text = QString::fromUtf8(method.data(), static_cast<qsizetype>(method.size()));
    menu->addAction(text, this, [this, method] { editor_->setMethod(std::string(method)); });
  }
  method_->setMenu(menu);

  url_ = plainTextField(bar, "https://api.example.com", [editor = editor_](std::string text) {
    editor->setURL(std::move(text));
  });
  url_->setObjectName("urlField");
  url_->setFont(monospacedFont(12));
  url_->setTextMargins(10, 6, 10, 6);

  auto* send = new CapsuleButton<QPushButton>(QStringLiteral("Send"), sendLook, bar);
  send->setObjectName("sendButton");
  send->setAutoDefault(false);
  connect(send, &QPushButton::clicked, this, [this] { editor_->send(); });

  line->addWidget(method_);
  line->addWidget(url_, 1);
  line->addWidget(send);
  return bar;
}

RowListPage* RequestEditorView::makeParamsPage() {
  RowListPage::Setup setup;
  setup.rows = [this] {
    std::vector<KeyValueRow::Binding> rows;
    for (const auto& param : editor_->requestTemplate()->queryParams()) {
      auto binding = bindRow(param, [this] {
        editor_->updateURLFromParams();
        refreshBadges();
      });
      binding.keyField = Field::key(param->id());
      binding.valueField = Field::value(param->id());
      binding.keyPlaceholder = "Key";
      binding.dimsWhenDisabled = true;
      binding.onDelete = [editor = editor_, param] { editor->deleteParam(*param); };
      rows.push_back(std::move(binding));
    }
    return rows;
  };
  setup.newKeyPlaceholder = "Key";
  setup.newValuePlaceholder = "Value";
  setup.addRowPointSize = 12;
  setup.newKeyField = Field::newKey();
  setup.newValueField = Field::newValue();
  setup.newKey = &editor_->newParamKey;
  setup.newValue = &editor_->newParamValue;
  setup.add = [editor = editor_](bool focusNewRow) { editor->addParam(focusNewRow); };
  return new RowListPage(std::move(setup), pages_);
}

RowListPage* RequestEditorView::makeHeadersPage() {
  RowListPage::Setup setup;
  setup.rows = [this] {
    std::vector<KeyValueRow::Binding> rows;
    for (const auto& header : editor_->requestTemplate()->headers()) {
      auto binding = bindRow(header, [] {});
      binding.keyField = Field::headerKey(header->id());
      binding.valueField = Field::headerValue(header->id());
      binding.keyPlaceholder = "Header";
      binding.onDelete = [editor = editor_, header] { editor->deleteHeader(*header); };
      rows.push_back(std::move(binding));
    }
    return rows;
  };
  setup.newKeyPlaceholder = "New Header";
  setup.newValuePlaceholder = "New Value";
  setup.addRowPointSize = 11;
  setup.newKeyField = Field::newHeaderKey();
  setup.newValueField = Field::newHeaderValue();
  setup.newKey = &editor_->newHeaderKey;
  setup.newValue = &editor_->newHeaderValue;
  setup.add = [editor = editor_](bool focusNewRow) { editor->addHeader(focusNewRow); };
  return new RowListPage(std::move(setup), pages_);
}

void RequestEditorView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) editor_->appear();
}

void RequestEditorView::templateChanged(std::string_view field) {
  const auto& stored = *editor_->requestTemplate();
  if (field == "name") showText(name_, stored.name());
  if (field == "method") showMethod();
  if (field == "url") showText(url_, stored.url());
  if (field == "queryParams") params_->refresh();
  if (field == "headers") headers_->refresh();
  if (field.starts_with("body") || field.starts_with("multipart")) body_->refresh();
  if (field.starts_with("auth")) auth_->refresh();
  refreshBadges();
}

void RequestEditorView::showMethod() {
  const QString method = QString::fromStdString(editor_->requestTemplate()->method());
  method_->setText(method);
  method_->setTextColor(methodColor(method));
}

void RequestEditorView::showTab(EditorTab tab) {
  editor_->selectedTab = tab;
  tabBar_->setSelection(tab);
  pages_->setCurrentIndex(static_cast<int>(tab));
}

void RequestEditorView::refreshBadges() { tabBar_->setStatus(editor_->tabStatuses()); }

void RequestEditorView::followEditorFocus() {
  const auto& field = editor_->focusedField();
  if (!field) return;
  for (auto* candidate : findChildren<QLineEdit*>()) {
    if (taggedField(candidate) == field) {
      if (!candidate->hasFocus()) candidate->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

void RequestEditorView::keyboardFocusChanged(QWidget* now) {
  editor_->setFocusedField(now && isAncestorOf(now) ? taggedField(now) : std::nullopt);
}

}  // namespace wendalore
