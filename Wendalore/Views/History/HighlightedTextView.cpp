#include "Wendalore/Views/History/HighlightedTextView.h"

#include <QEvent>
#include <QFontDatabase>

namespace wendalore {
namespace {

constexpr int codePointSize = 11;
constexpr int codeLineSpacing = 8;
constexpr int textMargin = 16;

QFont codeFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(codePointSize);
  return font;
}

QColor qtColor(const platform::Color& color) {
  return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                          static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

}  // namespace

HighlightedTextView::HighlightedTextView(QWidget* parent) : LargeTextView(parent) {
  setObjectName("responseText");
  setMargin(textMargin);
  setTextFont(codeFont(), codeLineSpacing);
}

QString HighlightedTextView::themeName() const {
  return palette().color(QPalette::Base).lightness() < 128 ? "atom-one-dark" : "atom-one-light";
}

void HighlightedTextView::setContent(std::shared_ptr<const RequestHistoryItem> item) {
  const auto language = item->responseLanguage();
  auto body = item->sharedResponseBody();
  const bool sameBody = body == body_ || *body == *body_;
  if (content_ != 0 && item->id() == record_ && language == language_ && sameBody) return;
  ++content_;
  record_ = item->id();
  language_ = language;
  body_ = std::move(body);
  styled_ = nullptr;
  answered_ = false;
  formats_.clear();
  // The body left is no longer worth the highlighter's time, even when the
  // new one needs none of it.
  ResponseHighlighter::shared().cancel(this);
  setTextFont(codeFont(), codeLineSpacing);
  setText(body_);
  requestHighlight();
}

void HighlightedTextView::requestHighlight() {
  if (body_->empty()) return ResponseHighlighter::shared().cancel(this);
  const int content = content_;
  const QString theme = themeName();
  const auto current = [this, content, theme] { return content == content_ && theme == themeName(); };
  // Hashing and copying a large body take a while: both happen in the
  // background.
  runInBackground(
      this,
      [record = record_, theme = theme.toStdString(), body = body_] {
        return ResponseHighlighter::Key::of(record, theme, *body);
      },
      [this, current](ResponseHighlighter::Key key) {
        if (!current()) return;
        if (auto styled = ResponseHighlighter::shared().cached(key)) {
          showStyled(std::move(styled));
          return;
        }
        ResponseHighlighter::shared().highlight(
            key, body_, language_, this,
            [this, current](ResponseHighlighter::Result styled) {
              if (current()) showStyled(std::move(styled));
            },
            [this, current](ResponseHighlighter::Result styled) {
              // The colours of another theme stay until all of this one's
              // are in.
              if (current() && !(styled_ && styled_->complete)) paintWith(std::move(styled));
            });
        preferShown();
      });
}

void HighlightedTextView::showStyled(ResponseHighlighter::Result styled) {
  answered_ = true;
  if (styled) {
    paintWith(std::move(styled));
    setTextFont(codeFont(), codeLineSpacing);
  } else {
    styled_ = nullptr;
    formats_.clear();
    setTextFont(font(), 0);
  }
  emit highlighted();
}

void HighlightedTextView::paintWith(ResponseHighlighter::Result styled) {
  // Pieces keep coming while the lines in view are coloured already: only
  // ones that change what is shown are worth a repaint.
  const bool shownChanges = !areShownLinesColoured() || styled->complete;
  styled_ = std::move(styled);
  formats_.clear();
  for (std::size_t style = 0; style < styled_->styles.size(); ++style) formats_.push_back(format(style));
  if (shownChanges) viewport()->update();
}

void HighlightedTextView::paintEvent(QPaintEvent* event) {
  painted_.reset();
  LargeTextView::paintEvent(event);
  if (!painted_) return;
  shown_ = *painted_;
  if (!answered_) preferShown();
}

void HighlightedTextView::preferShown() {
  if (areShownLinesColoured()) return;
  ResponseHighlighter::shared().prefer(this, shown_.first, shown_.second);
}

QTextCharFormat HighlightedTextView::format(std::size_t style) const {
  const auto& attributes = styled_->styles[style];
  QTextCharFormat format;
  if (attributes.foregroundColor) format.setForeground(qtColor(*attributes.foregroundColor));
  if (attributes.backgroundColor) format.setBackground(qtColor(*attributes.backgroundColor));
  if (attributes.font && attributes.font->bold) format.setFontWeight(QFont::Bold);
  if (attributes.font && attributes.font->italic) format.setFontItalic(true);
  return format;
}

void HighlightedTextView::addStyles(std::uint32_t start, std::uint32_t end,
                                    QList<QTextLayout::FormatRange>& formats) const {
  painted_ = painted_ ? Range{std::min(painted_->first, start), std::max(painted_->second, end)} : Range{start, end};
  if (!styled_) return;
  for (const auto& span : styled_->spansBetween(start, end)) {
    formats.append({static_cast<int>(span.start - start), static_cast<int>(span.end - span.start),
                    formats_[span.style]});
  }
}

void HighlightedTextView::changeEvent(QEvent* event) {
  LargeTextView::changeEvent(event);
  // The other theme: the current colours stay until its styling is ready.
  if (event->type() == QEvent::PaletteChange && content_ != 0) requestHighlight();
}

}  // namespace wendalore
