#include "Wendalore/Views/Editor/MultipartPage.h"

#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "Wendalore/Views/Editor/PlainTextField.h"

namespace wendalore {
namespace {

QLabel* headline(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

std::optional<std::string> chooseWithDialog(QWidget* parent) {
  const QString path = QFileDialog::getOpenFileName(parent, "Choose File");
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

MultipartPage::MultipartPage(std::shared_ptr<RequestEditor> editor, QWidget* parent)
    : QWidget(parent), editor_(std::move(editor)), chooser_(chooseWithDialog) {
  auto* page = new QVBoxLayout(this);
  page->setSpacing(16);

  auto* upload = new QVBoxLayout();
  upload->setSpacing(8);
  upload->addWidget(headline("File Upload", this));
  auto* fileLine = new QHBoxLayout();
  auto* choose = new QPushButton("Choose File...", this);
  choose->setObjectName("chooseFileButton");
  connect(choose, &QPushButton::clicked, this, [this] {
    if (auto path = chooser_(this)) editor_->chooseFile(*path);
  });
  file_ = new QLabel(this);
  file_->setObjectName("chosenFile");
  file_->setForegroundRole(QPalette::PlaceholderText);
  file_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  clear_ = new QToolButton(this);
  clear_->setObjectName("clearFileButton");
  clear_->setAutoRaise(true);
  clear_->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
  connect(clear_, &QToolButton::clicked, this, [this] { editor_->clearFile(); });
  noFile_ = new QLabel("No file selected", this);
  noFile_->setStyleSheet("color: gray;");
  fileLine->addWidget(choose);
  fileLine->addWidget(file_, 1);
  fileLine->addWidget(clear_);
  fileLine->addWidget(noFile_, 1);
  upload->addLayout(fileLine);
  page->addLayout(upload);

  auto* divider = new QFrame(this);
  divider->setFrameShape(QFrame::HLine);
  page->addWidget(divider);

  auto* metadata = new QGridLayout();
  metadata->setVerticalSpacing(12);
  metadata->addWidget(headline("Metadata", this), 0, 0, 1, 2);
  const auto& request = editor_->requestTemplate();
  const auto addField = [&](int line, const QString& label, const QString& placeholder,
                            std::function<void(std::string)> write) {
    auto* title = new QLabel(label, this);
    title->setFixedWidth(100);
    title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* field = plainTextField(this, placeholder, std::move(write));
    field->setFrame(true);
    metadata->addWidget(title, line, 0);
    metadata->addWidget(field, line, 1);
    return field;
  };
  fieldName_ = addField(1, "Field Name:", "file", [request](std::string text) {
    request->setMultipartFieldName(std::move(text));
  });
  fileName_ = addField(2, "Filename:", "upload.bin", [request](std::string text) {
    request->setMultipartFileName(std::move(text));
  });
  mimeType_ = addField(3, "MIME Type:", "application/octet-stream", [request](std::string text) {
    request->setMultipartMimeType(std::move(text));
  });
  page->addLayout(metadata);
  page->addStretch(1);
  refresh();
}

void MultipartPage::refresh() {
  const auto title = editor_->chosenFileTitle();
  file_->setVisible(title.has_value());
  clear_->setVisible(title.has_value());
  noFile_->setVisible(!title);
  if (title) {
    // One line, shortened in its middle.
    const QString full = QString::fromStdString(*title);
    file_->setText(file_->fontMetrics().elidedText(full, Qt::ElideMiddle, std::max(file_->width(), 80)));
  }
  const auto& request = *editor_->requestTemplate();
  showText(fieldName_, request.multipartFieldName());
  showText(fileName_, request.multipartFileName());
  showText(mimeType_, request.multipartMimeType());
}

void MultipartPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  refresh();
}

}  // namespace wendalore
