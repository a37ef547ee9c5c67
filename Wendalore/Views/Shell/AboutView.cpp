#include "Wendalore/Views/Shell/AboutView.h"

#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QVBoxLayout>

#include "Wendalore/Views/Shell/ApplicationIcon.h"

namespace wendalore {
namespace {

constexpr int iconSide = 64;
const QSize minimumContentSize(350, 400);

QString link(const QString& title, const char* address) {
  return QStringLiteral("<a href=\"%1\">%2</a>").arg(QString::fromUtf8(address), title.toHtmlEscaped());
}

// A line of text whose links open in the default browser.
QLabel* linkLine(const QString& html) {
  auto* label = new QLabel(html);
  label->setTextFormat(Qt::RichText);
  label->setOpenExternalLinks(true);
  label->setTextInteractionFlags(Qt::TextBrowserInteraction);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QLabel* plainLine(const QString& text) {
  auto* label = new QLabel(text);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

AboutView::AboutView(std::shared_ptr<const platform::Bundle> bundle, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint),
      bundle_(std::move(bundle)),
      icon_(new QLabel),
      name_(plainLine({})),
      version_(plainLine({})) {
  setWindowTitle(QStringLiteral("About Wendalore"));

  icon_->setFixedSize(iconSide, iconSide);
  icon_->setAlignment(Qt::AlignCenter);
  icon_->setAccessibleName(QStringLiteral("App Icon"));
  QFont nameFont = name_->font();
  nameFont.setPointSize(16);
  nameFont.setBold(true);
  name_->setFont(nameFont);

  auto* issues = new QHBoxLayout;
  issues->addStretch();
  issues->addWidget(linkLine(link(QStringLiteral("Report bug"), "https://wendalore.org/issues/new?template=bug_report.md")));
  issues->addWidget(plainLine(QString::fromUtf8("\u2022")));
  issues->addWidget(
      linkLine(link(QStringLiteral("Request feature"), "https://wendalore.org/issues/new?template=feature_request.md")));
  issues->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(10);
  layout->addStretch();
  layout->addWidget(icon_, 0, Qt::AlignHCenter);
  layout->addWidget(name_);
  layout->addWidget(version_);
  layout->addWidget(linkLine(QStringLiteral("Created by ") + link(QStringLiteral("@wendalore"), "https://wendalore.org/team")));
  layout->addWidget(linkLine(QStringLiteral("Like Wendalore? Check also ") +
                             link(QStringLiteral("Tallyglass"), "https://wendalore.org/tallyglass")));
  layout->addLayout(issues);
  layout->addSpacing(10);
  layout->addWidget(plainLine(QStringLiteral("Wendalore uses open-source software:")));
  // Only what this program contains: its packages are updated by the system,
  // so no update framework is in it to credit.
  layout->addWidget(linkLine(link(QStringLiteral("Wendanet (MIT license)"), "https://wendalore.org/wendanet")));
  layout->addWidget(linkLine(link(QStringLiteral("Highlighter (MIT license)"), "https://wendalore.org/highlighter")));
  layout->addWidget(linkLine(link(QStringLiteral("MonacoHost (MIT license)"), "https://wendalore.org/monacohost")));
  layout->addStretch();

  showBundleValues();
  setFixedSize(sizeHint().expandedTo(minimumContentSize));
}

QString AboutView::missingValue() { return QString::fromUtf8("\u26A0\uFE0F"); }

void AboutView::showEvent(QShowEvent* event) {
  showBundleValues();
  QWidget::showEvent(event);
}

QString AboutView::bundleValue(const char* key) const {
  const auto value = bundle_->objectForInfoDictionaryKey(key);
  return value ? QString::fromStdString(*value) : missingValue();
}

void AboutView::showBundleValues() {
  QPixmap icon;
  if (const auto path = bundle_->pathForResource("Wendalore", "icns")) icon.load(QString::fromStdString(path->string()));
  if (icon.isNull()) icon = applicationIcon().pixmap(iconSide, iconSide);
  if (!icon.isNull()) icon = icon.scaled(iconSide, iconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  icon_->setPixmap(icon);
  name_->setText(bundleValue("CFBundleName"));
  version_->setText(QStringLiteral("Version: ") + bundleValue("CFBundleShortVersionString"));
}

}  // namespace wendalore
