#include "Wendalore/Views/Editor/BodyPage.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <fmt/format.h>

#include "Wendalore/Views/Common/PageScrollArea.h"
#include "Wendalore/Views/Editor/BodyPagePlainText.h"
#include "Wendalore/Views/Editor/MultipartPage.h"

namespace wendalore {
namespace {

constexpr auto bodyKinds = allCases<RequestBodyType>();

enum Content { noBody, code, multipart };

Content contentFor(RequestBodyType kind) {
  switch (kind) {
    case RequestBodyType::none:
      return noBody;
    case RequestBodyType::formUrlEncoded:
    case RequestBodyType::rawText:
    case RequestBodyType::json:
      return code;
    case RequestBodyType::multipart:
      return multipart;
  }
  return noBody;
}

QWidget* noBodyView(QWidget* parent) {
  auto* view = new QWidget(parent);
  auto* column = new QVBoxLayout(view);
  auto* symbol = new QLabel(view);
  symbol->setPixmap(view->style()->standardIcon(QStyle::SP_FileIcon).pixmap(40, 40));
  auto* title = new QLabel("No Body", view);
  QFont font = title->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.4);
  title->setFont(font);
  for (auto* label : {symbol, title}) {
    label->setAlignment(Qt::AlignCenter);
    label->setForegroundRole(QPalette::PlaceholderText);
  }
  column->addStretch(1);
  column->addWidget(symbol);
  column->addWidget(title);
  column->addStretch(1);
  return view;
}

}  // namespace

BodyPage::BodyPage(std::shared_ptr<RequestEditor> editor, QWidget* parent, monacohost::CodeEditorLibrary& library)
    : QWidget(parent), editor_(std::move(editor)), library_(library) {
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(0);

  auto* bar = new QWidget(this);
  bar->setAutoFillBackground(true);
  bar->setBackgroundRole(QPalette::Base);
  auto* barLine = new QHBoxLayout(bar);
  barLine->setContentsMargins(8, 8, 8, 8);
  picker_ = new QComboBox(bar);
  picker_->setObjectName("bodyTypePicker");
  picker_->setAccessibleName("Body Type");
  picker_->setFixedWidth(160);
  for (const auto kind : bodyKinds) {
    const auto raw = rawValue(kind);
    picker_->addItem(QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())));
  }
  connect(picker_, &QComboBox::activated, this, [this](int index) {
    editor_->requestTemplate()->setBodyType(bodyKinds[static_cast<std::size_t>(index)]);
  });
  barLine->addWidget(picker_);
  barLine->addStretch(1);
  page->addWidget(bar);
  auto* divider = new QFrame(this);
  divider->setFrameShape(QFrame::HLine);
  page->addWidget(divider);

  content_ = new QStackedWidget(this);
  content_->setContentsMargins(10, 10, 10, 10);
  content_->addWidget(noBodyView(content_));

  codePage_ = new QWidget(content_);
  codeLayout_ = new QVBoxLayout(codePage_);
  codeLayout_->setContentsMargins(0, 0, 0, 0);
  formNote_ = new QLabel("Form Data Collection Editor (Key/Value)", codePage_);
  formNote_->setForegroundRole(QPalette::PlaceholderText);
  codeLayout_->addWidget(formNote_);
  content_->addWidget(codePage_);

  auto* scroll = pageScrollArea(content_);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  multipart_ = new MultipartPage(editor_, scroll);
  scroll->setWidget(multipart_);
  content_->addWidget(scroll);
  page->addWidget(content_, 1);
  refresh();
}

void BodyPage::refresh() {
  const auto kind = editor_->requestTemplate()->bodyType();
  picker_->setCurrentIndex(static_cast<int>(std::ranges::find(bodyKinds, kind) - bodyKinds.begin()));
  content_->setCurrentIndex(contentFor(kind));
  formNote_->setVisible(kind == RequestBodyType::formUrlEncoded);
  multipart_->refresh();
  if (isVisible()) showCodeEditor();
}

void BodyPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  showCodeEditor();
}

monacohost::TextBinding BodyPage::bodyBinding() const {
  const std::weak_ptr<RequestTemplate> request = editor_->requestTemplate();
  return {[request] {
            const auto held = request.lock();
            return held ? held->body() : std::string();
          },
          [request](std::string text) {
            if (auto held = request.lock()) held->setBody(std::move(text));
          }};
}

void BodyPage::showCodeEditor() {
  const auto kind = editor_->requestTemplate()->bodyType();
  const bool json = kind == RequestBodyType::json;
  if (contentFor(kind) != code) {
    dropCodeEditor();
    return;
  }
  if (codeEditor_ && codeEditorIsJSON_ == json) return;
  dropCodeEditor();
  codeEditorIsJSON_ = json;
  if (codeEditorFailure_) {
    codeEditor_ = plainTextBodyEditor(bodyBinding(), *codeEditorFailure_, codePage_);
  } else if (const auto factory = library_.factory(); !factory) {
    fallBackToPlainText(factory.error());
    return;
  } else {
    const int generation = ++codeEditorGeneration_;
    auto made = (*factory)->makeEditor(
        {.text = bodyBinding(),
         .syntax = json ? monacohost::ReadySyntax::swift : monacohost::ReadySyntax::cpp,
         .fontSize = 11,
         .failed =
             [this, generation](const QString& reason) {
               if (generation == codeEditorGeneration_) fallBackToPlainText(reason);
             }},
        codePage_);
    codeEditor_ = made.view;
    shownTextWriter_ = std::move(made.writeShownText);
  }
  codeEditor_->setObjectName("bodyEditor");
  codeLayout_->addWidget(codeEditor_, 1);
}

void BodyPage::fallBackToPlainText(const QString& reason) {
  fmt::print(stderr, "Wendalore: the code editor could not start: {}\n", reason.toStdString());
  codeEditorFailure_ = reason;
  dropCodeEditor();
  showCodeEditor();
}

void BodyPage::writeShownText(std::function<void()> written) {
  if (shownTextWriter_) {
    shownTextWriter_(std::move(written));
  } else {
    written();
  }
}

void BodyPage::dropCodeEditor() {
  // Its text is already stored; it may still be finishing a call of its page.
  ++codeEditorGeneration_;
  shownTextWriter_ = nullptr;
  if (auto* left = std::exchange(codeEditor_, nullptr)) {
    left->hide();
    left->deleteLater();
  }
}

}  // namespace wendalore
