#include "Wendalore/Views/Editor/RowListPage.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QStyle>
#include <algorithm>
#include <map>
#include <set>

#include "Wendalore/Views/Common/PageScrollArea.h"
#include "Wendalore/Views/Editor/EditorFonts.h"
#include "Wendalore/Views/Editor/PlainTextField.h"

namespace wendalore {

RowListPage::RowListPage(Setup setup, QWidget* parent) : QWidget(parent), setup_(std::move(setup)) {
  auto* scroll = pageScrollArea(this);
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
  auto bindings = setup_.rows();
  std::set<platform::UUID> listed;
  for (const auto& binding : bindings) listed.insert(*binding.keyField.row);
  std::map<platform::UUID, KeyValueRow*> staying;
  std::vector<KeyValueRow*> spare;
  for (const auto& [id, row] : shown_) {
    if (listed.contains(id)) {
      staying.emplace(id, row);
    } else {
      spare.push_back(row);
    }
  }

  std::vector<ShownRow> next;
  next.reserve(bindings.size());
  auto nextSpare = spare.begin();
  for (auto& binding : bindings) {
    const auto id = *binding.keyField.row;
    KeyValueRow* row = nullptr;
    if (const auto found = staying.find(id); found != staying.end()) {
      row = found->second;
    } else if (nextSpare != spare.end()) {
      row = *nextSpare++;
      row->rebind(std::move(binding));
    } else {
      row = new KeyValueRow(std::move(binding), rows_->parentWidget());
      // Shown now rather than by the layout later, so that the focus can
      // move into it before the next keystroke arrives.
      row->show();
    }
    next.push_back({id, row});
  }
  // Later, not now: a row may be gone while it is handling its own event.
  for (; nextSpare != spare.end(); ++nextSpare) {
    rows_->removeWidget(*nextSpare);
    (*nextSpare)->hide();
    (*nextSpare)->deleteLater();
  }
  place(next);
  shown_ = std::move(next);
  showText(newKey_, *setup_.newKey);
  showText(newValue_, *setup_.newValue);
}

void RowListPage::place(const std::vector<ShownRow>& next) {
  const auto differs = std::ranges::mismatch(shown_, next, {}, &ShownRow::row, &ShownRow::row);
  const auto from = static_cast<int>(differs.in2 - next.begin());
  if (from == static_cast<int>(next.size()) && from == static_cast<int>(shown_.size())) return;
  while (rows_->count() > from) delete rows_->takeAt(from);
  // Rows made later would come later in the Tab order than the add-row
  // line, which is made with the page: each control goes after the one
  // above it, and the add-row line after the last row.
  QWidget* previous = from > 0 ? next[from - 1].row->focusOrder().back() : nullptr;
  const auto follow = [&previous](QWidget* control) {
    if (previous) setTabOrder(previous, control);
    previous = control;
  };
  for (int position = from; position < static_cast<int>(next.size()); ++position) {
    rows_->addWidget(next[position].row);
    for (auto* control : next[position].row->focusOrder()) follow(control);
  }
  follow(newKey_);
  follow(newValue_);
}

}  // namespace wendalore
