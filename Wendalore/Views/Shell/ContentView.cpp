#include "Wendalore/Views/Shell/ContentView.h"

#include <QVBoxLayout>

namespace wendalore {
namespace {

QWidget* makePlace(const char* name) {
  auto* place = new QWidget;
  place->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(place);
  layout->setContentsMargins(0, 0, 0, 0);
  return place;
}

QLabel* makePlaceholder() {
  auto* placeholder = new QLabel(QStringLiteral("Add or select a request"));
  placeholder->setAlignment(Qt::AlignCenter);
  placeholder->setMinimumSize(ContentView::detailMinimumWidth, ContentView::placeholderMinimumHeight);
  // The secondary text colour of the style, whatever its theme.
  QPalette palette = placeholder->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
  placeholder->setPalette(palette);
  return placeholder;
}

}  // namespace

ContentView::ContentView(QWidget* parent)
    : QWidget(parent),
      splitter_(new QSplitter(Qt::Horizontal)),
      detail_(new QSplitter(Qt::Vertical)),
      sidebarPlace_(makePlace("sidebarPlace")),
      editorPlace_(makePlace("editorPlace")),
      historyPlace_(makePlace("historyPlace")) {
  sidebarPlace_->setMinimumWidth(sidebarMinimumWidth);
  detail_->addWidget(editorPlace_);
  detail_->addWidget(historyPlace_);
  splitter_->addWidget(sidebarPlace_);
  splitter_->addWidget(detail_);
  // A pane dragged to nothing could not be found again.
  splitter_->setChildrenCollapsible(false);
  detail_->setChildrenCollapsible(false);
  splitter_->setStretchFactor(1, 1);
  detail_->setSizes({500, 300});
  splitter_->setSizes({sidebarMinimumWidth + 30, 900});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter_);
  showPlaceholder();
}

void ContentView::replace(QWidget* place, QPointer<QWidget>& current, QWidget* widget) {
  if (current == widget) return;
  if (current) {
    current->hide();
    place->layout()->removeWidget(current);
    // Later, as the widget may be the one whose signal led here.
    current->deleteLater();
  }
  current = widget;
  if (!widget) return;
  place->layout()->addWidget(widget);
  widget->show();
}

void ContentView::setSidebar(QWidget* sidebar) { replace(sidebarPlace_, sidebar_, sidebar); }

void ContentView::setEditor(QWidget* editor) {
  replace(editorPlace_, editor_, editor);
  fitEditorPlace();
}

void ContentView::showPlaceholder() {
  if (showsPlaceholder()) return;
  placeholder_ = makePlaceholder();
  replace(editorPlace_, editor_, placeholder_);
  fitEditorPlace();
}

void ContentView::fitEditorPlace() {
  // The editor never gets less room than its controls need, so that the
  // window's smallest size shows them whole.
  const QSize needed = editor_ ? editor_->minimumSizeHint() : QSize();
  editorPlace_->setMinimumSize(QSize(detailMinimumWidth, editorMinimumHeight).expandedTo(needed));
}

void ContentView::setHistory(QWidget* history) { replace(historyPlace_, history_, history); }

}  // namespace wendalore
