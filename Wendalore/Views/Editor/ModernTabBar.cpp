#include "Wendalore/Views/Editor/ModernTabBar.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <variant>

namespace wendalore {
namespace {

constexpr auto tabs = allCases<EditorTab>();

QFont tabFont(const QFont& base, QFont::Weight weight) {
  QFont font = base;
  font.setPointSize(11);
  font.setWeight(weight);
  return font;
}

void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& colour) {
  QPainterPath path;
  path.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
  painter.fillPath(path, colour);
}

}  // namespace

// The title, then the badge: a count on a capsule or a green dot.
class ModernTabBar::TabButton : public QAbstractButton {
 public:
  TabButton(EditorTab tab, QWidget* parent) : QAbstractButton(parent) {
    const auto title = QString::fromUtf8(rawValue(tab).data(), static_cast<qsizetype>(rawValue(tab).size()));
    setText(title);
    setObjectName(title);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
  }

  void setStatus(std::optional<TabStatus> status) {
    status_ = status;
    updateGeometry();
    update();
  }
  void setSelected(bool selected) {
    selected_ = selected;
    update();
  }

  QSize sizeHint() const override {
    const QFontMetrics title(tabFont(font(), QFont::Medium));
    int width = title.horizontalAdvance(text());
    if (const auto badge = badgeSize(); !badge.isEmpty()) width += spacing + badge.width();
    return {width + 2 * horizontalInset, title.height() + 2 * verticalInset};
  }
  // However narrow the editor, a title is never cut.
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor foreground = selected_ ? QColor(Qt::white) : palette().color(QPalette::PlaceholderText);
    const QFont titleFont = tabFont(font(), QFont::Medium);
    const QFontMetrics titleMetrics(titleFont);
    const QRect content = rect().adjusted(horizontalInset, verticalInset, -horizontalInset, -verticalInset);
    painter.setFont(titleFont);
    painter.setPen(foreground);
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter, text());

    const QSize badge = badgeSize();
    if (badge.isEmpty()) return;
    const QRectF badgeRect(content.left() + titleMetrics.horizontalAdvance(text()) + spacing,
                           content.center().y() - badge.height() / 2.0 + 0.5, badge.width(), badge.height());
    if (const auto* count = countOf()) {
      fillCapsule(painter, badgeRect, selected_ ? QColor(255, 255, 255, 77) : QColor(128, 128, 128, 51));
      painter.setFont(tabFont(font(), QFont::DemiBold));
      painter.setPen(foreground);
      painter.drawText(badgeRect, Qt::AlignCenter, QString::number(count->value));
    } else {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(52, 199, 89));
      painter.drawEllipse(badgeRect.adjusted(2, 0, 0, 0));
    }
  }

 private:
  static constexpr int spacing = 6;
  static constexpr int horizontalInset = 12;
  static constexpr int verticalInset = 6;

  const TabStatus::Count* countOf() const {
    if (!status_) return nullptr;
    const auto* count = std::get_if<TabStatus::Count>(&status_->value);
    return count && count->value >= 1 ? count : nullptr;
  }
  // Empty when the tab shows no badge.
  QSize badgeSize() const {
    if (const auto* count = countOf()) {
      const QFontMetrics digits(tabFont(font(), QFont::DemiBold));
      return {digits.horizontalAdvance(QString::number(count->value)) + 12, digits.height() + 4};
    }
    if (status_ && std::holds_alternative<TabStatus::Active>(status_->value)) return {8, 6};
    return {};
  }

  std::optional<TabStatus> status_;
  bool selected_ = false;
};

ModernTabBar::ModernTabBar(QWidget* parent) : QWidget(parent) {
  // Strong, as a push button's: where Tab is set to reach text fields and
  // lists alone, it reaches what a click can focus all the same.
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 4, 4, 4);
  row->setSpacing(0);
  for (std::size_t index = 0; index < tabs.size(); ++index) {
    const auto tab = tabs[index];
    buttons_[index] = new TabButton(tab, this);
    connect(buttons_[index], &QAbstractButton::clicked, this, [this, tab] { select(tab); });
    row->addWidget(buttons_[index]);
  }
  slide_.setParent(this);  // a member: gone before the bar, never deleted by it
  slide_.setDuration(250);
  slide_.setEasingCurve(QEasingCurve::OutBack);
  connect(&slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    cursor_ = value.toRectF();
    update();
  });
  applySelection();
}

void ModernTabBar::setSelection(EditorTab tab) {
  // The echo of a click must not cut its slide short.
  if (tab == selection_) return;
  selection_ = tab;
  slide_.stop();
  applySelection();
  update();
}

void ModernTabBar::setStatus(std::map<EditorTab, TabStatus> status) {
  for (std::size_t index = 0; index < tabs.size(); ++index) {
    const auto found = status.find(tabs[index]);
    buttons_[index]->setStatus(found == status.end() ? std::nullopt : std::optional(found->second));
  }
}

void ModernTabBar::select(EditorTab tab) {
  // A click on the selected tab writes the selection again and moves nothing.
  if (tab != selection_) {
    const QRectF from = shownCursor();
    selection_ = tab;
    applySelection();
    slide_.stop();
    slide_.setStartValue(from);
    slide_.setEndValue(cursorTarget());
    slide_.start();
  }
  if (onSelect) onSelect(tab);
}

QRectF ModernTabBar::cursorTarget() const {
  return QRectF(buttons_[static_cast<std::size_t>(selection_)]->geometry());
}

void ModernTabBar::applySelection() {
  for (std::size_t index = 0; index < tabs.size(); ++index) buttons_[index]->setSelected(tabs[index] == selection_);
}

void ModernTabBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF cursor = shownCursor();
  const QColor accent = palette().color(QPalette::Highlight);
  fillCapsule(painter, cursor, accent);
  if (!hasFocus()) return;
  // A gap of the bar's own colour keeps the ring apart from the capsule,
  // which has the same colour; the bar's inset leaves room for both.
  const QRectF ring = cursor.adjusted(-2.5, -2.5, 2.5, 2.5);
  painter.setPen(QPen(accent, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
}

void ModernTabBar::keyPressEvent(QKeyEvent* event) {
  const auto index = static_cast<std::ptrdiff_t>(selection_);
  const auto count = static_cast<std::ptrdiff_t>(tabs.size());
  std::ptrdiff_t next = index;
  switch (event->key()) {
    case Qt::Key_Left:
      next = index - 1;
      break;
    case Qt::Key_Right:
      next = index + 1;
      break;
    case Qt::Key_Space:
      next = (index + 1) % count;
      break;
    default:
      return QWidget::keyPressEvent(event);
  }
  if (next >= 0 && next < count) select(tabs[static_cast<std::size_t>(next)]);
}

void ModernTabBar::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void ModernTabBar::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

QRectF ModernTabBar::shownCursor() const {
  // At rest the capsule follows its tab, whose width changes with its badge.
  return slide_.state() == QAbstractAnimation::Running ? cursor_ : cursorTarget();
}

}  // namespace wendalore
