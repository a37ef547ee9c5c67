#include "Wendalore/Views/Editor/AuthPage.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "Wendalore/Views/Editor/PlainTextField.h"

namespace wendalore {
namespace {

constexpr auto kinds = allCases<RequestAuthType>();

QString title(RequestAuthType kind) {
  const auto raw = rawValue(kind);
  return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
}

// A form of titled fields.
QWidget* fieldsPage(QWidget* parent, std::initializer_list<std::pair<const char*, QLineEdit*>> fields) {
  auto* page = new QWidget(parent);
  auto* form = new QFormLayout(page);
  for (const auto& [label, field] : fields) {
    field->setParent(page);
    field->setFrame(true);
    field->setObjectName(label);
    form->addRow(label, field);
  }
  return page;
}

}  // namespace

AuthPage::AuthPage(std::shared_ptr<RequestTemplate> request, QWidget* parent)
    : QWidget(parent), request_(std::move(request)) {
  auto* page = new QVBoxLayout(this);

  auto* method = new QGroupBox("Authorization Method", this);
  auto* methodLine = new QHBoxLayout(method);
  methodLine->addWidget(new QLabel("Type", method));
  auto* group = new QButtonGroup(this);
  for (std::size_t index = 0; index < kinds.size(); ++index) {
    const auto kind = kinds[index];
    auto* segment = new QToolButton(method);
    segment->setText(title(kind));
    segment->setObjectName(title(kind));
    segment->setCheckable(true);
    group->addButton(segment);
    connect(segment, &QToolButton::clicked, this, [this, kind] { request_->setAuthType(kind); });
    methodLine->addWidget(segment);
    segments_[index] = segment;
  }
  methodLine->addStretch(1);
  page->addWidget(method);

  auto* section = new QGroupBox("Credentials", this);
  auto* sectionLayout = new QVBoxLayout(section);
  credentials_ = new QStackedWidget(section);
  auto* none = new QLabel("This request does not use authorization.", credentials_);
  QFont caption = none->font();
  caption.setPointSizeF(caption.pointSizeF() * 0.85);
  none->setFont(caption);
  none->setForegroundRole(QPalette::PlaceholderText);
  username_ = plainTextField(nullptr, "", [request = request_](std::string text) {
    request->setAuthUsername(std::move(text));
  });
  password_ = plainTextField(nullptr, "", [request = request_](std::string text) {
    request->setAuthPassword(std::move(text));
  });
  password_->setEchoMode(QLineEdit::Password);
  token_ = plainTextField(nullptr, "", [request = request_](std::string text) { request->setAuthToken(std::move(text)); });
  // In the order of the kinds.
  credentials_->addWidget(none);
  credentials_->addWidget(fieldsPage(credentials_, {{"Username", username_}, {"Password", password_}}));
  credentials_->addWidget(fieldsPage(credentials_, {{"Token", token_}}));
  sectionLayout->addWidget(credentials_);
  page->addWidget(section);
  page->addStretch(1);
  refresh();
}

void AuthPage::refresh() {
  const auto kind = request_->authType();
  const auto index = static_cast<std::size_t>(kind);
  segments_[index]->setChecked(true);
  credentials_->setCurrentIndex(static_cast<int>(index));
  showText(username_, request_->authUsername());
  showText(password_, request_->authPassword());
  showText(token_, request_->authToken());
}

}  // namespace wendalore
