#include "Wendalore/Views/Editor/RowListPage.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QStyle>

#include "Wendalore/Views/Editor/EditorFonts.h"
#include "Wendalore/Views/Editor/PlainTextField.h"

namespace wendalore {

RowListPage::RowListPage(Setup setup, QWidget* parent) : QWidget(parent), setup_(std::move(setup)) {
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* list = new QWidget(scroll);
  auto* column = new QVBoxLayout(list);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  rows_ = new QVBoxLayout();
  rows_->setSpacing(0);
  column->addLayout(rows_);

  auto* addRow = new QWidget(list);
  addRow->setFont(monospacedFont(setup_.addRowPointSize));
  auto* line = new QHBoxLayout(addRow);
  line->setContentsMargins(5, 5, 5, 5);
  line->addSpacing(20);
  newKey_ = plainTextField(addRow, setup_.newKeyPlaceholder, setup_.newKeyField,
                           [this](std::string text) { *setup_.newKey = std::move(text); });
  newValue_ = plainTextField(addRow, setup_.newValuePlaceholder, setup_.newValueField,
                             [this](std::string text) { *setup_.newValue = std::move(text); });
  connect(newKey_, &QLineEdit::returnPressed, this, [this] { setup_.add(true); });
  connect(newValue_, &QLineEdit::returnPressed, this, [this] { setup_.add(false); });
  auto* divider = new QFrame(addRow);
  divider->setFrameShape(QFrame::VLine);
  line->addWidget(newKey_, 1);
  line->addWidget(divider);
  line->addWidget(newValue_, 1);
  // Keeps the columns under the rows' delete buttons.
  const int buttonWidth = style()->pixelMetric(QStyle::PM_SmallIconSize) + 8;
  line->addSpacing(buttonWidth);
  column->addWidget(addRow);
  column->addStretch(1);

  scroll->setWidget(list);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->addWidget(scroll);
  refresh();
}

void RowListPage::refresh() {
  std::map<platform::UUID, KeyValueRow*> kept;
  int position = 0;
  for (auto& binding : setup_.rows()) {
    const auto id = *binding.keyField.row;
    auto found = shown_.find(id);
    KeyValueRow* row = nullptr;
    if (found != shown_.end()) {
      row = found->second;
      shown_.erase(found);
      rows_->removeWidget(row);
    } else {
      row = new KeyValueRow(std::move(binding), rows_->parentWidget());
      // Shown now rather than by the layout later, so that the focus can
      // move into it before the next keystroke arrives.
      row->show();
    }
    rows_->insertWidget(position++, row);
    kept.emplace(id, row);
  }
  // Later, not now: a row may be gone while it is handling its own event.
  for (auto& [id, row] : shown_) {
    rows_->removeWidget(row);
    row->hide();
    row->deleteLater();
  }
  shown_ = std::move(kept);
  showText(newKey_, *setup_.newKey);
  showText(newValue_, *setup_.newValue);
}

}  // namespace wendalore
